#include "converter/OneModeOutputNames.h"

#include "converter/ConverterGlobal.h"
#include "converter/EncFormatMgr.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

namespace {

QMutex s_lock;
QSet<QString> s_reserved;

bool taken(const QString &path)
{
    return s_reserved.contains(path) || QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

const QStringList AudioExtensions = {QStringLiteral("mp3"), QStringLiteral("m4a"), QStringLiteral("wav"),
                                     QStringLiteral("mka")};

} // namespace

OneModeOutputNames::OneModeOutputNames(const EncFormatMgr *catalogue)
    : m_catalogue(catalogue)
{
}

QString OneModeOutputNames::safeTitle(const QString &title)
{
    QString safe;
    safe.reserve(title.size());
    for (QChar c : title) {
        if (QStringLiteral("*|:\"<>?\\/").contains(c) || c.unicode() < 0x20)
            safe += QLatin1Char('-');
        else
            safe += c;
    }
    // "." and ".." would still be harmless inside "base_..ext", but keep names readable.
    if (safe.trimmed() == QLatin1String(".") || safe.trimmed() == QLatin1String(".."))
        safe = QStringLiteral("-");
    return safe;
}

QString OneModeOutputNames::targetFilePathWith(const QString &sourcePath, const QSizeF &size, int formatID,
                                               const QString &outputFolder)
{
    if (sourcePath.isEmpty())
        return {};
    const QFileInfo source(sourcePath);
    const QString base = source.completeBaseName().isEmpty() ? source.fileName() : source.completeBaseName();

    const EncFormatMgr *catalogue = m_catalogue ? m_catalogue : g_formatMgr.get();
    const auto preset = catalogue ? catalogue->formatItemForID(formatID) : nullptr;
    QString ext = preset ? preset->formatExt() : QString();
    ext.remove(QLatin1Char('.'));
    ext = safeTitle(ext);
    if (ext.isEmpty())
        ext = QStringLiteral("mp4");
    const QString title = safeTitle(preset ? preset->title() : QString());

    QString folder = outputFolder.isEmpty() ? source.path() : QDir::cleanPath(outputFolder);
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    if (!QDir().mkpath(folder))
        return {};

    const bool audio = AudioExtensions.contains(ext, Qt::CaseInsensitive);
    const int width = int(size.width());
    const int height = int(size.height());
    auto nameFor = [&](int n) {
        const QString counter = n > 0 ? QStringLiteral("(%1)").arg(n) : QString();
        // Joined, not formatted: a "%1" inside a file name must stay as typed.
        if (audio)
            return QLatin1Char('/') + base + counter + QLatin1Char('_') + title + QLatin1Char('.') + ext;
        return QLatin1Char('/') + base + QLatin1Char('_') + QString::number(width) + QLatin1Char('x')
               + QString::number(height) + counter + QLatin1Char('_') + title + QLatin1Char('.') + ext;
    };

    QMutexLocker lock(&s_lock);
    for (int n = 0;; ++n) {
        const QString path = folder + nameFor(n);
        if (!taken(path)) {
            s_reserved.insert(path);
            return path;
        }
    }
}

bool OneModeOutputNames::isReserved(const QString &path)
{
    QMutexLocker lock(&s_lock);
    return s_reserved.contains(path);
}

void OneModeOutputNames::release(const QString &path)
{
    QMutexLocker lock(&s_lock);
    s_reserved.remove(path);
}
