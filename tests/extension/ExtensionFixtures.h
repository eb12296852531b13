#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

class QProcess;

namespace ExtensionFixtures {

// A zip archive (an .xpi) holding the named files.
bool writeZip(const QString &path, const QList<QPair<QString, QByteArray>> &files);
// One file of a zip archive; empty when the archive or the file is missing.
QByteArray readZipEntry(const QString &path, const QString &name);
// A Firefox folder whose profiles.ini lists the profiles in order; returns their folders.
QStringList makeFirefoxProfiles(const QStringList &relativePaths);
QString chromeProfile();   // $XDG_CONFIG_HOME/google-chrome/Default
// A process of ours whose program file is called `name` (a copy of sleep), for "running";
// started under `home` when one is given.
QProcess *startFakeBrowser(const QString &name, const QString &home = {});
void writeFile(const QString &path, const QByteArray &data);
QByteArray readFile(const QString &path);

} // namespace ExtensionFixtures
