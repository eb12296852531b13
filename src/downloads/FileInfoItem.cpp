#include "downloads/FileInfoItem.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>

namespace {

const QString KeyIdentity = QStringLiteral("Identity");
const QString KeyResolution = QStringLiteral("resolution");
const QString KeyVideoWidth = QStringLiteral("videoWidth");
const QString KeyVideoHeight = QStringLiteral("videoHeight");
const QString KeyVideoBitrate = QStringLiteral("videoBitrate");
const QString KeyVideoTime = QStringLiteral("videoTime");
const QString KeyVideoSize = QStringLiteral("videoSize");
const QString KeyVideoFrame = QStringLiteral("videoFrame");
const QString KeyPageURL = QStringLiteral("strPageURL");
const QString KeyFilePath = QStringLiteral("strFilePath");
const QString KeySubtitlePath = QStringLiteral("subtitlePath");
const QString KeyThumbnailPath = QStringLiteral("thumbnailPath");
const QString KeyIconFilePath = QStringLiteral("iconFilePath");

void encodeIfNotEmpty(KeyedArchiver &coder, const QString &key, const QString &value)
{
    if (!value.isEmpty())
        coder.encodeString(key, value);
}

// An absent key stays a null string, so "never set" and "set empty" read the same as stored.
QString decodeOptional(const KeyedUnarchiver &coder, const QString &key)
{
    return coder.containsKey(key) ? coder.decodeString(key) : QString();
}

QString lastComponent(const QString &path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
}

// A leading dot names a hidden file, not an extension.
qsizetype extensionDot(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? dot : -1;
}

} // namespace

qint32 FileInfoItem::covertStringToResolution(const QString &widthTimesHeight)
{
    const QStringList parts = widthTimesHeight.split(QLatin1Char('*'));
    qint64 h = 0;
    if (parts.size() >= 2) {
        // Read like a C integer: blanks, a sign and the leading digits; the rest is ignored. Any
        // height beyond a billion lines snaps like one, which keeps the distances below from
        // overflowing.
        static const QRegularExpression leading(QStringLiteral("^\\s*([+-]?)([0-9]+)"));
        const QRegularExpressionMatch m = leading.match(parts.at(1));
        if (m.hasMatch()) {
            bool ok = false;
            h = std::min(m.captured(2).toLongLong(&ok), Q_INT64_C(1000000000));
            if (!ok)
                h = Q_INT64_C(1000000000);
            if (m.captured(1) == QLatin1String("-"))
                h = -h;
        }
    }
    static const qint32 candidates[] = {0, 240, 360, 480, 720, 1080, 1440, 2160};
    qint32 best = candidates[0];
    qint64 bestDistance = std::llabs(h - best);
    for (const qint32 c : candidates) {
        const qint64 d = std::llabs(h - c);
        if (d < bestDistance) {
            best = c;
            bestDistance = d;
        }
    }
    return best;
}

QString FileInfoItem::fileName() const
{
    const QString name = lastComponent(m_filePath);
    const qsizetype dot = extensionDot(name);
    return dot < 0 ? name : name.left(dot);
}

QString FileInfoItem::fileExt() const
{
    const QString name = lastComponent(m_filePath);
    const qsizetype dot = extensionDot(name);
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString FileInfoItem::timeString() const
{
    // Rounded to whole seconds; hours only when there are any.
    const qint64 n = qint64(double(m_time) + 0.5);
    if (n < 0)
        return QStringLiteral("0");
    const qint64 h = n / 3600, m = (n % 3600) / 60, s = n % 60;
    if (h == 0)
        return QString::asprintf("%02lld:%02lld", m, s);
    return QString::asprintf("%02lld:%02lld:%02lld", h, m, s);
}

QString FileInfoItem::subtitlePath() const
{
    if (!m_subtitlePath.isEmpty() && QFileInfo::exists(m_subtitlePath))
        return m_subtitlePath;
    if (m_filePath.isEmpty())
        return QString();
    const QFileInfo media(m_filePath);
    const QString sibling = media.path() + QStringLiteral("/%1.srt").arg(fileName());
    if (QFileInfo(sibling).isFile())
        return sibling;
    return QString();
}

QString FileInfoItem::archiveClassName() const
{
    return QStringLiteral("FileInfoItem");
}

void FileInfoItem::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeInt32(KeyIdentity, m_fileID);
    coder.encodeInt32(KeyResolution, m_resolution);
    coder.encodeInt32(KeyVideoWidth, m_videoWidth);
    coder.encodeInt32(KeyVideoHeight, m_videoHeight);
    coder.encodeInt32(KeyVideoBitrate, m_videoBitrate);
    coder.encodeInt64(KeyVideoTime, m_time);
    coder.encodeInt64(KeyVideoSize, m_videoSize);
    coder.encodeDouble(KeyVideoFrame, m_videoFrame);
    encodeIfNotEmpty(coder, KeyPageURL, m_pageURL);
    encodeIfNotEmpty(coder, KeyFilePath, m_filePath);
    encodeIfNotEmpty(coder, KeySubtitlePath, m_subtitlePath);
    encodeIfNotEmpty(coder, KeyThumbnailPath, m_thumbnailPath);
    encodeIfNotEmpty(coder, KeyIconFilePath, m_iconFilePath);
}

void FileInfoItem::initWithCoder(KeyedUnarchiver &coder)
{
    m_fileID = coder.decodeInt32(KeyIdentity);
    m_resolution = coder.decodeInt32(KeyResolution);
    m_videoWidth = coder.decodeInt32(KeyVideoWidth);
    m_videoHeight = coder.decodeInt32(KeyVideoHeight);
    m_videoBitrate = coder.decodeInt32(KeyVideoBitrate);
    m_time = coder.decodeInt64(KeyVideoTime);
    m_videoSize = coder.decodeInt64(KeyVideoSize);
    m_videoFrame = coder.decodeDouble(KeyVideoFrame);
    m_pageURL = decodeOptional(coder, KeyPageURL);
    m_filePath = decodeOptional(coder, KeyFilePath);
    m_subtitlePath = decodeOptional(coder, KeySubtitlePath);
    m_thumbnailPath = decodeOptional(coder, KeyThumbnailPath);
    m_iconFilePath = decodeOptional(coder, KeyIconFilePath);
}
