#include "reelgrab/QVReelgrabTask.h"

#include "platform/AppPaths.h"
#include "platform/PrivateFolder.h"
#include "reelgrab/Func.h"
#include "reelgrab/GUID.h"
#include "reelgrab/MediaFormatCode.h"
#include "reelgrab/QVReelgrabAdjuster.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

qint64 distance(qint32 a, qint32 b)
{
    // In 64 bits: a stored quality may be anything, and the 32-bit difference can overflow.
    const qint64 d = qint64(a) - qint64(b);
    return d < 0 ? -d : d;
}

bool isAudioFormat(quint32 format)
{
    return format == MediaFormatCode::MP4Audio || format == MediaFormatCode::MP3;
}

// Cuts text to at most maxBytes of UTF-8 without splitting a character.
QString cutToUtf8Bytes(const QString &text, int maxBytes)
{
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const char32_t cp = text.at(i).isHighSurrogate() && i + 1 < text.size() ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1))
                                                                                 : text.at(i).unicode();
        const int units = cp > 0xFFFF ? 2 : 1;
        const int len = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        if (bytes + len > maxBytes)
            break;
        bytes += len;
        i += units;
    }
    return text.left(i);
}

// A path component from text that came from outside (extension names): no separators or
// control characters, no leading dots, bounded length.
QString safeComponent(const QString &text, int maxBytes)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append(c);
            out.append(text.at(++i));
            continue;
        }
        if (c.isSurrogate() || c == u'/')
            continue;
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            out.append(u' '); // keeps "a\tb" as two words
            continue;
        }
        out.append(c);
    }
    qsizetype lead = 0;
    while (lead < out.size() && (out.at(lead) == u'.' || out.at(lead).isSpace()))
        ++lead;
    out = cutToUtf8Bytes(out.mid(lead), maxBytes).trimmed();
    return out;
}

// folder + "/" + name. Not QDir::filePath: it takes a name starting with ":" (a title that began
// with "/") for an absolute resource path and drops the folder.
QString joinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

} // namespace

QVReelgrabTask::QVReelgrabTask(QObject *parent)
    : QObject(parent)
    , m_guid(GUID())
    , m_downloadContent(QVReelgrabContentVideo)
    , m_expectMediaQuality(HighestQuality)
    , m_generateDateTime(QDateTime::currentDateTime())
{
}

QVReelgrabTask::QVReelgrabTask(NoDefaults) {}

QVReelgrabTask::~QVReelgrabTask()
{
    terminateReelgrabTask();
    for (QVReelgrabTaskObserver *o : std::as_const(m_observers))
        o->m_observedTasks.removeAll(this);
    Func(FuncLogInfo, QStringLiteral("QVReelgrabTask Dealloc"));
}

std::unique_ptr<QVReelgrabTask> QVReelgrabTask::taskWithArchive(const QByteArray &data, QString *error)
{
    std::unique_ptr<QVReelgrabTask> task(new QVReelgrabTask(NoDefaults{}));
    if (!KeyedUnarchiver::unarchive(data, *task, error))
        return nullptr;
    return task;
}

QByteArray QVReelgrabTask::archivedData() const
{
    return KeyedArchiver::archivedDataWithRootObject(*this);
}

QString QVReelgrabTask::pageUrl() const
{
    return QVReelgrabAdjuster::adjustPageUrl(m_pageUrl);
}

QString QVReelgrabTask::userAgent() const
{
    return QVReelgrabAdjuster::adjustUserAgent(m_userAgent, pageUrl());
}

QString QVReelgrabTask::mediaTitle() const
{
    return m_mediaTitle.isEmpty() ? m_sniffingResult.mediaTitle() : m_mediaTitle;
}

QVSniffingMediaSegment *QVReelgrabTask::segmentAt(qsizetype index)
{
    if (index < 0 || index >= m_segments.size())
        return nullptr;
    return &m_segments[index];
}

QString QVReelgrabTask::safeFileName(const QString &title)
{
    QString name = title;
    name.replace(u':', u' ');
    name.replace(u'/', u':');
    name.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    name.replace(QStringLiteral("?"), QStringLiteral("\\?"));
    name.replace(QStringLiteral("*"), QStringLiteral("\\*"));
    name.replace(u'\'', u' ');
    // The title comes from a web page: it must stay one harmless component of the target folder.
    name = safeComponent(name, MaxFileNameBytes);
    return name.isEmpty() ? QStringLiteral("video") : name;
}

QString QVReelgrabTask::mediaFileName() const
{
    return safeFileName(mediaTitle());
}

QString QVReelgrabTask::targetFileName()
{
    if (!m_targetFileName.isEmpty() || m_targetFilePath.isEmpty())
        return m_targetFileName;
    const QString name = mediaFileName();
    const QString ext = safeComponent(m_mediaExtName, 16);
    const QString folder = m_targetFilePath;
    AppPaths::ensureFolder(folder);
    int n = 0;
    QString candidate;
    for (;; ++n) {
        candidate = joinPath(folder, n == 0 ? QStringLiteral("%1.%2").arg(name, ext)
                                            : QStringLiteral("%1 %2.%3").arg(name, QString::number(n), ext));
        if (QFileInfo::exists(candidate + QStringLiteral(".ds")))
            continue;
        const QByteArray native = QFile::encodeName(candidate);
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            break;
        }
        if (errno == EEXIST)
            continue;
        // The folder cannot take the placeholder (missing, read-only): keep the name the
        // existence test gives; the download reports the failure where it writes.
        if (!QFileInfo::exists(candidate) || n >= 100000)
            break;
    }
    m_targetFileName = candidate;
    if (n > 0)
        m_mediaTitle = QStringLiteral("%1 %2").arg(mediaTitle(), QString::number(n));
    else
        m_mediaTitle = mediaTitle();
    return m_targetFileName;
}

qint32 QVReelgrabTask::mediaQuality() const
{
    for (const auto &s : m_segments)
        if (!isAudioFormat(s.mediaFormat()))
            return s.mediaQuality();
    return 0;
}

qint64 QVReelgrabTask::mediaSize() const
{
    qint64 sum = 0;
    for (const auto &s : m_segments)
        sum += s.bytes();
    return sum;
}

qint64 QVReelgrabTask::downloadedSize() const
{
    qint64 sum = 0;
    for (const auto &s : m_segments)
        sum += s.downloadedBytes();
    return sum;
}

qint64 QVReelgrabTask::downloadSpeed() const
{
    qint64 sum = 0;
    for (const auto &s : m_segments)
        sum += s.downloadSpeed();
    return sum;
}

bool QVReelgrabTask::isSiteof(const QString &word) const
{
    const QUrl url(pageUrl(), QUrl::StrictMode);
    if (!url.isValid() || url.isEmpty())
        return true;
    return url.host().contains(word);
}

void QVReelgrabTask::setSniffingResult(const QVMediaSniffingResult &result)
{
    m_sniffingResult = result;
    m_segments = pickoutSegments();
}

void QVReelgrabTask::setSniffingResult(const QVMediaSniffingResult *result)
{
    if (result)
        setSniffingResult(*result);
}

QList<QVSniffingMediaSegment> QVReelgrabTask::pickoutSegments()
{
    const QList<QVSniffingMedia> &candidates = m_sniffingResult.candidateMedias();
    if (candidates.isEmpty())
        return {};

    if (m_downloadContent & QVReelgrabContentVideo) {
        QList<const QVSniffingMedia *> videos;
        for (const auto &m : candidates)
            if (m.mediaFormat() != MediaFormatCode::MP4Audio)
                videos.append(&m);
        if (videos.isEmpty())
            return {};
        // Start from the first video candidate: an audio candidate's quality must not win.
        qint32 bestQuality = videos.first()->mediaQuality();
        QList<const QVSniffingMedia *> closest;
        for (const QVSniffingMedia *m : videos) {
            if (distance(m->mediaQuality(), m_expectMediaQuality) < distance(bestQuality, m_expectMediaQuality)) {
                bestQuality = m->mediaQuality();
                closest.clear();
            }
            if (m->mediaQuality() == bestQuality)
                closest.append(m);
        }

        const QVSniffingMedia *chosen = nullptr;
        if (!m_mediaExtName.isEmpty()) {
            const QString wanted = m_mediaExtName.toLower();
            for (const QVSniffingMedia *m : closest) {
                if (m->extName().toLower().contains(wanted)) {
                    chosen = m;
                    break;
                }
            }
        }
        // No wanted extension, or none at this quality: take the richest stream rather than nothing.
        if (!chosen) {
            qint64 bestBitrate = -1;
            for (const QVSniffingMedia *m : closest) {
                if (m->bitrate() > bestBitrate) {
                    bestBitrate = m->bitrate();
                    chosen = m;
                } else if (chosen && m->bitrate() == bestBitrate
                           && QVReelgrabAdjuster::mediaFormatPriority(m->mediaFormat())
                               > QVReelgrabAdjuster::mediaFormatPriority(chosen->mediaFormat())) {
                    chosen = m;
                }
            }
        }
        if (!chosen)
            return {};
        m_mediaExtName = chosen->extName();
        // A transport stream is copied into MP4 after the download, which is what users expect.
        if (chosen->mediaFormat() == MediaFormatCode::TS)
            m_mediaExtName = QStringLiteral("mp4");
        Func(FuncLogInfo, QStringLiteral("Pick out Sniffing Meida of Video:\n%1").arg(chosen->description()));
        if (chosen->mediaFormat() != MediaFormatCode::MP4Video)
            return chosen->segments();

        // Picture without sound: add the sound its stream names (its own sound group), else
        // the richest sound track. A track of unknown bitrate (0) still counts.
        const QVSniffingMedia *audio = nullptr;
        const QVSniffingMedia *richest = nullptr;
        for (const auto &m : candidates)
            if (!chosen->soundUrl().isEmpty() && m.mediaFormat() == MediaFormatCode::MP4Audio && !m.segments().isEmpty()
                && m.segments().first().url() == chosen->soundUrl()) {
                audio = &m;
                break;
            }
        qint64 bestBitrate = -1;
        for (const auto &m : candidates) {
            if (m.mediaFormat() == MediaFormatCode::MP4Audio && m.bitrate() > bestBitrate) {
                bestBitrate = m.bitrate();
                richest = &m;
            }
        }
        if (!audio)
            audio = richest;
        if (!audio)
            return {};
        Func(FuncLogInfo, QStringLiteral("Pick out Sniffing Meida of Audio:\n%1").arg(audio->description()));
        m_mediaExtName = QStringLiteral("mp4");
        return audio->segments() + chosen->segments();
    }

    if (m_downloadContent & QVReelgrabContentAudio) {
        const QVSniffingMedia *audio = nullptr;
        const QVSniffingMedia *other = nullptr;
        qint64 bestAudio = -1;
        qint64 lowestOther = 2147483647;
        for (const auto &m : candidates) {
            if (isAudioFormat(m.mediaFormat())) {
                if (m.bitrate() > bestAudio) {
                    bestAudio = m.bitrate();
                    audio = &m;
                }
            } else if (m.bitrate() < lowestOther) {
                lowestOther = m.bitrate();
                other = &m;
            }
        }
        m_mediaExtName = QStringLiteral("mp3");
        const QVSniffingMedia *chosen = audio ? audio : other;
        if (!chosen)
            return {};
        Func(FuncLogInfo, QStringLiteral("Pick out Sniffing Meida of Audio:\n%1").arg(chosen->description()));
        return chosen->segments();
    }
    return {};
}

std::optional<QVSniffingMediaSubtitle> QVReelgrabTask::pickoutSubtitle() const
{
    const QList<QVSniffingMediaSubtitle> &subtitles = m_sniffingResult.candidateSubtitles();
    if (subtitles.isEmpty())
        return std::nullopt;
    if (!m_subtitleCode.isEmpty()) {
        for (qsizetype i = subtitles.size() - 1; i >= 0; --i)
            if (subtitles.at(i).langCode() == m_subtitleCode)
                return subtitles.at(i);
        const QString prefix = m_subtitleCode.left(2);
        for (qsizetype i = subtitles.size() - 1; i >= 0; --i)
            if (subtitles.at(i).langCode().left(2) == prefix)
                return subtitles.at(i);
    }
    const QVSniffingMediaSubtitle *byDefault = nullptr;
    for (const auto &s : subtitles) {
        if (s.language().toLower() == QLatin1String("english"))
            return s;
        if (s.asDefault())
            byDefault = &s;
    }
    return byDefault ? *byDefault : subtitles.first();
}

QString QVReelgrabTask::synchronizeSubtitle()
{
    if (!(m_downloadContent & QVReelgrabContentSubtitle))
        return {};
    const std::optional<QVSniffingMediaSubtitle> subtitle = pickoutSubtitle();
    if (!subtitle)
        return {};
    m_matchSubtitle = true;
    const QString target = targetFileName();
    if (target.isEmpty())
        return subtitle->content();
    const QFileInfo info(target);
    const QString path = joinPath(info.path(), info.completeBaseName() + u'.' + subtitle->fileExtension());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(subtitle->content().toUtf8()) >= 0
        && file.flush()) {
        Func(FuncLogInfo, QStringLiteral("save subtitle to %1").arg(path));
    } else {
        Func(FuncLogError, QStringLiteral("Save subtitle to %1 faile:%2").arg(path, file.errorString()));
    }
    return subtitle->content();
}

QString QVReelgrabTask::workFolder()
{
    QString name = m_guid;
    if (!isGUID(name)) {
        // An archive from elsewhere may carry no usable identifier; fall back to the target name.
        name = safeComponent(QFileInfo(targetFileName()).completeBaseName(), MaxFileNameBytes);
        if (name.isEmpty())
            name = QStringLiteral("segments");
    }
    const QString root = workRoot();
    return root.isEmpty() ? QString() : joinPath(root, name);
}

QString QVReelgrabTask::workRoot()
{
    QString error;
    const QString root = PrivateFolder::cache(QStringLiteral("ReelgrabKit/Downloading"), &error);
    if (root.isEmpty())
        Func(FuncLogError, QStringLiteral("no private work folder: %1").arg(error));
    return root;
}

QString QVReelgrabTask::ensuredWorkFolder()
{
    const QString folder = workFolder();
    if (folder.isEmpty())
        return {};
    QString error;
    if (PrivateFolder::ensure(workRoot(), QFileInfo(folder).fileName(), &error).isEmpty()) {
        Func(FuncLogError, QStringLiteral("work folder refused: %1").arg(error));
        return {};
    }
    return folder;
}

QString QVReelgrabTask::savePath4Segment(qsizetype index)
{
    if (index < 0 || index >= m_segments.size()) {
        Func(FuncLogError, QStringLiteral("coun't find the save path for segment %1").arg(index));
        return {};
    }
    const QVSniffingMediaSegment &segment = m_segments.at(index);
    const QString target = targetFileName();
    const QString name = QFileInfo(target).completeBaseName();
    if (m_segments.size() > 1) {
        const QString folder = ensuredWorkFolder();
        if (folder.isEmpty())
            return {};
        return joinPath(folder, QStringLiteral("%1-%2.%3")
                                         .arg(name, QStringLiteral("%1").arg(index, 2, 16, QLatin1Char('0')),
                                              segment.extName()));
    }
    // Audio to extract, or a stream to copy into the target's container: the download lands
    // in the work folder and post-processing writes the target.
    if (((m_downloadContent & QVReelgrabContentAudio) && segment.mediaFormat() != MediaFormatCode::MP3)
        || (segment.mediaFormat() == MediaFormatCode::TS && segment.extName() != QFileInfo(target).suffix())) {
        const QString folder = ensuredWorkFolder();
        if (folder.isEmpty())
            return {};
        return joinPath(folder, QStringLiteral("%1.%2").arg(name, segment.extName()));
    }
    return target;
}

QString QVReelgrabTask::savePath4Segment(const QVSniffingMediaSegment &segment)
{
    const qsizetype index = m_segments.indexOf(segment);
    if (index < 0) {
        Func(FuncLogError, QStringLiteral("coun't find the save path for segment %1").arg(segment.description()));
        return {};
    }
    return savePath4Segment(index);
}

QString QVReelgrabTask::archiveClassName() const
{
    return QStringLiteral("QVReelgrabTask");
}

void QVReelgrabTask::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeString(QStringLiteral("guid"), m_guid);
    coder.encodeInt64(QStringLiteral("taskid"), m_taskId);
    coder.encodeString(QStringLiteral("page-url"), m_pageUrl);
    coder.encodeString(QStringLiteral("cookies"), m_cookies);
    coder.encodeString(QStringLiteral("user-agent"), m_userAgent);
    coder.encodeInt32(QStringLiteral("download-content"), m_downloadContent);
    coder.encodeInt32(QStringLiteral("download-status"), m_downloadStatus);
    coder.encodeString(QStringLiteral("media-title"), m_mediaTitle);
    coder.encodeString(QStringLiteral("browser"), m_browser);
    coder.encodeString(QStringLiteral("subtitle-langcode"), m_subtitleCode);
    coder.encodeBool(QStringLiteral("match-Subtitle"), m_matchSubtitle);
    coder.encodeString(QStringLiteral("target-path"), m_targetFilePath);
    if (!m_targetFileName.isEmpty())
        coder.encodeString(QStringLiteral("target-name"), m_targetFileName);
    coder.encodeInt32(QStringLiteral("expect-qulity"), m_expectMediaQuality);
    coder.encodeObject(QStringLiteral("sniffing-result"), m_sniffingResult);
    coder.encodeObjectList(QStringLiteral("segments"), m_segments);
    coder.encodeString(QStringLiteral("media-ext-name"), m_mediaExtName);
    coder.encodeObject(QStringLiteral("meta-data"), m_metaData);
    coder.encodeString(QStringLiteral("playlist-name"), m_playlistName);
    coder.encodeString(QStringLiteral("playlist-uuid"), m_playlistUUID);
    coder.encodeInt64(QStringLiteral("playlist-index"), m_indexInPlaylist);
    // Only while the task has failed; a record without it (older ones too) reads as no reason.
    if (!m_failureReason.isEmpty())
        coder.encodeString(QStringLiteral("failure-reason"), m_failureReason);
}

void QVReelgrabTask::initWithCoder(KeyedUnarchiver &coder)
{
    setGuid(coder.decodeString(QStringLiteral("guid")));
    setTaskId(coder.decodeInt64(QStringLiteral("taskid")));
    setPageUrl(coder.decodeString(QStringLiteral("page-url")));
    setCookies(coder.decodeString(QStringLiteral("cookies")));
    setUserAgent(coder.decodeString(QStringLiteral("user-agent")));
    setDownloadContent(coder.decodeInt32(QStringLiteral("download-content")));
    setDownloadStatus(coder.decodeInt32(QStringLiteral("download-status")));
    setMediaTitle(coder.decodeString(QStringLiteral("media-title")));
    setBrowser(coder.decodeString(QStringLiteral("browser")));
    setSubtitleCode(coder.decodeString(QStringLiteral("subtitle-langcode")));
    setMatchSubtitle(coder.decodeBool(QStringLiteral("match-Subtitle")));
    setTargetFilePath(coder.decodeString(QStringLiteral("target-path")));
    setTargetFileName(coder.decodeString(QStringLiteral("target-name")));
    setExpectMediaQuality(coder.decodeInt32(QStringLiteral("expect-qulity")));
    // The stored segments (read next) replace whatever a pick-out would choose, so the result is
    // taken as it is.
    QVMediaSniffingResult result;
    coder.decodeObject(QStringLiteral("sniffing-result"), result);
    m_sniffingResult = result;
    setSegments(coder.decodeObjectList<QVSniffingMediaSegment>(QStringLiteral("segments")));
    setMediaExtName(coder.decodeString(QStringLiteral("media-ext-name")));
    QVMediaMetaData meta;
    coder.decodeObject(QStringLiteral("meta-data"), meta);
    setMetaData(meta);
    setPlaylistName(coder.decodeString(QStringLiteral("playlist-name")));
    setPlaylistUUID(coder.decodeString(QStringLiteral("playlist-uuid")));
    setIndexInPlaylist(coder.decodeInt64(QStringLiteral("playlist-index")));
    setFailureReason(coder.decodeString(QStringLiteral("failure-reason")));
}
