#include "platform/DefaultBrowser.h"

#include "platform/SafeFileReader.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace {

// A list is a few kilobytes; anything past this is not read.
constexpr qint64 MaxListBytes = 256 * 1024;

QStringList listFiles()
{
    // Per folder the desktop's own list comes before the common one; user folders before the
    // system's, configuration before data.
    QStringList desktops;
    for (const QString &d : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts))
        desktops << d.toLower();
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    folders += QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    QStringList files;
    for (const QString &folder : folders) {
        const QDir dir(folder);
        for (const QString &d : desktops)
            files << dir.filePath(d + QStringLiteral("-mimeapps.list"));
        files << dir.filePath(QStringLiteral("mimeapps.list"));
    }
    return files;
}

// The first entry for one of the types in a list's [Default Applications] group.
QString defaultIn(const QString &path, const QStringList &types)
{
    QFile file(path);
    if (!SafeFileReader::open(file))
        return {};
    const QByteArray text = file.read(MaxListBytes);
    bool inDefaults = false;
    QHash<QString, QString> found;
    for (const QByteArray &raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inDefaults = line == QLatin1String("[Default Applications]");
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!inDefaults || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (!types.contains(key) || found.contains(key))
            continue;
        for (const QString &entry : line.mid(eq + 1).split(u';', Qt::SkipEmptyParts))
            if (!entry.trimmed().isEmpty()) {
                found.insert(key, entry.trimmed());
                break;
            }
    }
    for (const QString &type : types)
        if (found.contains(type))
            return found.value(type);
    return {};
}

} // namespace

namespace DefaultBrowser {

QString desktopEntry()
{
    static const QStringList types{QStringLiteral("x-scheme-handler/http"), QStringLiteral("x-scheme-handler/https"),
                                   QStringLiteral("text/html")};
    for (const QString &path : listFiles()) {
        const QString entry = defaultIn(path, types);
        if (!entry.isEmpty())
            return entry;
    }
    return {};
}

bool openUrl(const QUrl &url)
{
    // A relative or scheme-less address would be read by the opener as a file name.
    if (!url.isValid() || url.isRelative())
        return false;
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
}

} // namespace DefaultBrowser
