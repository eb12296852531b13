#include "shell/DesktopEntry.h"

#include "platform/AppPaths.h"
#include "platform/SafeFileReader.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    if (!AppPaths::ensureFolder(QFileInfo(path).absolutePath())) {
        if (error)
            *error = QStringLiteral("cannot create the folder of %1").arg(path);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

// Quoting of the Exec key: reserved characters make the argument quoted, with \ " ` $ escaped.
QString quotedExec(const QString &path)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needs = false;
    for (QChar c : path)
        if (reserved.contains(c))
            needs = true;
    if (!needs)
        return path;
    QString out = QStringLiteral("\"");
    for (QChar c : path) {
        // Escaped once for the quoting, then every backslash doubled for the string value.
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\\\\\");
        else if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$'))
            out += QStringLiteral("\\\\") + c;
        else
            out += c;
    }
    out += QLatin1Char('"');
    return out;
}

} // namespace

QString DesktopEntry::entryText(const QString &programPath)
{
    QString clean = programPath;
    clean.remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Fennix Pro\n"
                          "GenericName=Video Downloader\n"
                          "Comment=Download, convert, record and transfer videos\n"
                          "Exec=%1 %u\n"
                          "Icon=fennixpro\n"
                          "Terminal=false\n"
                          "Categories=AudioVideo;Video;\n"
                          "MimeType=x-scheme-handler/pelqa;\n"
                          "StartupNotify=true\n")
        .arg(quotedExec(clean));
}

QString DesktopEntry::entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation) + QLatin1Char('/') + QLatin1String(FileName);
}

QString DesktopEntry::mimeAppsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/mimeapps.list");
}

QString DesktopEntry::withSchemeDefault(const QString &mimeApps)
{
    const QString line = QLatin1String(SchemeType) + QLatin1Char('=') + QLatin1String(FileName);
    QStringList lines = mimeApps.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    int section = -1;
    int sectionEnd = int(lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        const QString t = lines.at(i).trimmed();
        if (t == QLatin1String("[Default Applications]")) {
            section = i;
            sectionEnd = int(lines.size());
            continue;
        }
        if (section >= 0 && t.startsWith(QLatin1Char('[')) && i > section) {
            sectionEnd = i;
            break;
        }
    }
    if (section < 0) {
        if (!lines.isEmpty())
            lines.append(QString());
        lines.append(QStringLiteral("[Default Applications]"));
        lines.append(line);
        return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
    for (int i = section + 1; i < sectionEnd; ++i) {
        if (lines.at(i).trimmed().startsWith(QLatin1String(SchemeType) + QLatin1Char('='))) {
            lines[i] = line;
            return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
        }
    }
    lines.insert(section + 1, line);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool DesktopEntry::install(const QString &programPath, QString *error)
{
    if (!writeAtomically(entryPath(), entryText(programPath).toUtf8(), error))
        return false;
    QString existing;
    QFile mime(mimeAppsPath());
    if (mime.exists()) {
        if (mime.size() > 1024 * 1024 || !SafeFileReader::open(mime)) {
            if (error)
                *error = QStringLiteral("mimeapps.list is unreadable or too large");
            return false;
        }
        existing = QString::fromUtf8(mime.readAll());
        mime.close();
    }
    return writeAtomically(mimeAppsPath(), withSchemeDefault(existing).toUtf8(), error);
}
