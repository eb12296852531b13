#include "TaskDump.h"
#include "platform/AppPaths.h"
#include "reelgrab/Func.h"
#include "reelgrab/GUID.h"
#include "reelgrab/MediaFormatCode.h"
#include "reelgrab/QVReelgrabTask.h"
#include "support/TestEnvironment.h"

#include <QCborArray>
#include <QCborMap>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace MediaFormatCode;

namespace {

QVSniffingMediaSegment segment(const QString &url, quint32 format, qint64 bytes = 100, qint32 quality = 0)
{
    QVSniffingMediaSegment s;
    s.setUrl(url);
    s.setMediaFormat(format);
    s.setBytes(bytes);
    s.setMediaQuality(quality);
    return s;
}

QVSniffingMedia media(quint32 format, qint32 quality, qint32 bitrate, const QString &name)
{
    QVSniffingMedia m;
    m.setMediaFormat(format);
    m.setMediaQuality(quality);
    m.setBitrate(bitrate);
    m.setSegments({segment(QStringLiteral("http://127.0.0.1/") + name, format, 100, quality)});
    return m;
}

// A picture-only media whose stream names the sound it plays with.
QVSniffingMedia pictureWithSound(qint32 quality, qint32 bitrate, const QString &name, const QString &sound)
{
    QVSniffingMedia m = media(MP4Video, quality, bitrate, name);
    m.setSoundUrl(QStringLiteral("http://127.0.0.1/") + sound);
    return m;
}

QVMediaSniffingResult resultOf(const QList<QVSniffingMedia> &medias)
{
    QVMediaSniffingResult r;
    r.setMediaTitle(QStringLiteral("clip"));
    r.setCandidateMedias(medias);
    return r;
}

QStringList urlsOf(const QList<QVSniffingMediaSegment> &segments)
{
    QStringList urls;
    for (const auto &s : segments)
        urls << s.url().section(u'/', -1);
    return urls;
}

QString freshFolder(const QString &name)
{
    const QString path = QDir(TestEnvironment::home()).filePath(name);
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

void touch(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << qPrintable(path);
}

// A task with every archived field set, the sniffing result full, the segments in progress.
std::unique_ptr<QVReelgrabTask> fullTask()
{
    auto task = std::make_unique<QVReelgrabTask>();
    task->setTaskId(42);
    task->setPageUrl(QStringLiteral("http://127.0.0.1:8080/watch?v=1&t=\u00e9"));
    task->setCookies(QStringLiteral("a=1; b=2"));
    task->setUserAgent(QStringLiteral("UA/1.0"));
    task->setDownloadContent(QVReelgrabContentVideo | QVReelgrabContentSubtitle | QVReelgrabContentNoOptions);
    task->setDownloadStatus(QVReelgrabTaskStatusDownloading);
    task->setMediaTitle(QStringLiteral("T\u00eftle \"quoted\"\nline"));
    task->setBrowser(QStringLiteral("firefox"));
    task->setSubtitleCode(QStringLiteral("en-US"));
    task->setMatchSubtitle(true);
    task->setTargetFilePath(QStringLiteral("/videos"));
    task->setTargetFileName(QStringLiteral("/videos/T\u00eftle.mp4"));
    task->setExpectMediaQuality(720);

    QVSniffingMedia video = media(MP4Video, 720, 2'000'000, QStringLiteral("v720"));
    QVSniffingMediaSegment second = segment(QStringLiteral("http://127.0.0.1/v720b"), MP4Video, 6'000'000'000LL, 720);
    second.setDuration(3600);
    video.setSegments(video.segments() + QList{second});
    video.setSeekable(true);
    QVSniffingMediaSubtitle en;
    en.setLangCode(QStringLiteral("en"));
    en.setLanguage(QStringLiteral("English"));
    en.setContent(QStringLiteral("1\n00:00:01,000 --> 00:00:02,000\nHi\n"));
    en.setSubtitleType(1);
    QVSniffingMediaSubtitle fr;
    fr.setLangCode(QStringLiteral("fr"));
    fr.setLanguage(QStringLiteral("Fran\u00e7ais"));
    fr.setAsDefault(true);
    fr.setSubtitleFormat(2);
    QVMediaSniffingResult result = resultOf({media(MP4Audio, 0, 128000, QStringLiteral("a")), video,
                                             media(WebM, 1080, 3'000'000, QStringLiteral("w1080"))});
    result.setSniffer(2);
    result.setMediaThumbnail(QStringLiteral("/thumbs/x.jpg"));
    result.setMediaIcon(QStringLiteral("/icons/x.png"));
    result.setCandidateSubtitles({en, fr});
    task->setSniffingResult(result);
    // Progress the helper reported.
    for (qsizetype i = 0; i < task->segments().size(); ++i) {
        QVSniffingMediaSegment *s = task->segmentAt(i);
        s->setDownloadStatus(QVReelgrabTaskStatusDownloading);
        s->setDownloadedBytes(1000 * (i + 1));
        s->setDownloadSpeed(500 * (i + 1));
        s->setSavePath(QStringLiteral("/tmp/part-%1").arg(i));
    }
    task->setMediaExtName(QStringLiteral("mp4"));
    QVMediaMetaData meta;
    meta.setTitle(QStringLiteral("Meta"));
    meta.setArtist(QStringLiteral("Artist"));
    meta.setYear(2020);
    meta.setTrackNo(2);
    meta.setTrackCount(9);
    meta.setArtworks({QByteArray("\x00\x01\x02", 3)});
    task->setMetaData(meta);
    task->setPlaylistName(QStringLiteral("List"));
    task->setPlaylistUUID(GUID());
    task->setIndexInPlaylist(7);
    return task;
}

static void quietLogD(int, const char *, ...) {}

class QuietLog : public ::testing::Environment
{
public:
    void SetUp() override { fLogDFunc = quietLogD; }
};
const auto *const quietLog = ::testing::AddGlobalTestEnvironment(new QuietLog);

} // namespace

TEST(QVReelgrabTask, NewTaskDefaults)
{
    QVReelgrabTask task;
    EXPECT_TRUE(isGUID(task.guid()));
    EXPECT_EQ(task.guid(), task.guid().toUpper());
    EXPECT_NE(task.guid(), QVReelgrabTask().guid());
    EXPECT_EQ(task.downloadContent(), QVReelgrabContentVideo);
    EXPECT_EQ(task.expectMediaQuality(), 2147483647);
    EXPECT_FALSE(task.matchSubtitle());
    EXPECT_EQ(task.downloadStatus(), QVReelgrabTaskStatusQueued);
    EXPECT_TRUE(task.generateDateTime().isValid());
    EXPECT_TRUE(task.segments().isEmpty());
    EXPECT_EQ(task.mediaQuality(), 0);
    EXPECT_EQ(task.mediaSize(), 0);
    EXPECT_TRUE(task.mediaSubtitle().isEmpty());
}

TEST(QVReelgrabTask, MediaFileNameIsOneSafeComponent)
{
    const struct
    {
        QString title;
        QString name;
    } cases[] = {
        {QStringLiteral("a/b"), QStringLiteral("a:b")},
        {QStringLiteral("a:b"), QStringLiteral("a b")},
        {QStringLiteral("a\\b"), QStringLiteral("a\\\\b")},
        {QStringLiteral("why? *now*"), QStringLiteral("why\\? \\*now\\*")},
        {QStringLiteral("it's"), QStringLiteral("it s")},
        {QStringLiteral("../../etc/passwd"), QStringLiteral(":..:etc:passwd")},
        {QStringLiteral(".hidden"), QStringLiteral("hidden")},
        {QStringLiteral("tab\there\nnew\x01"), QStringLiteral("tab here new")},
        {QStringLiteral("a\u2028b"), QStringLiteral("a b")},
        {QString(), QStringLiteral("video")},
        {QStringLiteral("..."), QStringLiteral("video")},
        {QStringLiteral("  \t "), QStringLiteral("video")},
        {QStringLiteral("/"), QStringLiteral(":")},
        {QString(QChar(0xD800)) + QStringLiteral("x"), QStringLiteral("x")}, // lone surrogate dropped
    };
    for (const auto &c : cases)
        EXPECT_EQ(QVReelgrabTask::safeFileName(c.title), c.name) << qPrintable(c.title);

    // Long titles are cut on a character boundary to at most 200 bytes of UTF-8.
    const QString accents(300, QChar(0xE9));
    EXPECT_EQ(QVReelgrabTask::safeFileName(accents), QString(100, QChar(0xE9)));
    const QString emojiAtEdge = QString(199, u'a') + QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral("tail");
    EXPECT_EQ(QVReelgrabTask::safeFileName(emojiAtEdge), QString(199, u'a'));
    for (const QString &t : {accents, emojiAtEdge, QString(5000, u'x')})
        EXPECT_LE(QVReelgrabTask::safeFileName(t).toUtf8().size(), QVReelgrabTask::MaxFileNameBytes);

    QVReelgrabTask task;
    QVMediaSniffingResult result;
    result.setMediaTitle(QStringLiteral("From/Page"));
    task.setSniffingResult(result);
    EXPECT_EQ(task.mediaFileName(), QStringLiteral("From:Page")); // the result's title when none is stored
}

TEST(QVReelgrabTask, TargetNameSkipsExistingFilesAndPartials)
{
    const struct
    {
        QStringList existing;
        const char *target;
        const char *title;
    } cases[] = {
        {{}, "clip.mp4", "clip"},
        {{QStringLiteral("clip.mp4.ds")}, "clip 1.mp4", "clip 1"},
        {{QStringLiteral("clip.mp4")}, "clip 1.mp4", "clip 1"},
        {{QStringLiteral("clip.mp4"), QStringLiteral("clip 1.mp4.ds")}, "clip 2.mp4", "clip 2"},
        {{QStringLiteral("clip 1.mp4")}, "clip.mp4", "clip"},
    };
    int n = 0;
    for (const auto &c : cases) {
        const QString folder = freshFolder(QStringLiteral("target-%1").arg(n++));
        for (const QString &f : c.existing)
            touch(QDir(folder).filePath(f));
        QVReelgrabTask task;
        task.setTargetFilePath(folder);
        task.setMediaExtName(QStringLiteral("mp4"));
        task.setMediaTitle(QStringLiteral("clip"));
        const QString target = task.targetFileName();
        EXPECT_EQ(target, QDir(folder).filePath(QString::fromLatin1(c.target))) << c.target;
        EXPECT_EQ(task.storedMediaTitle(), QString::fromLatin1(c.title));
        // The name is reserved by an empty placeholder and stays until it is set again.
        EXPECT_TRUE(QFileInfo(target).isFile());
        EXPECT_EQ(QFileInfo(target).size(), 0);
        EXPECT_EQ(task.targetFileName(), target);
    }
}

TEST(QVReelgrabTask, TwoTasksWithTheSameTitleGetDifferentFiles)
{
    const QString folder = freshFolder(QStringLiteral("same-title"));
    QVReelgrabTask first;
    QVReelgrabTask second;
    for (QVReelgrabTask *t : {&first, &second}) {
        t->setTargetFilePath(folder);
        t->setMediaExtName(QStringLiteral("mp4"));
        t->setMediaTitle(QStringLiteral("Same"));
    }
    EXPECT_EQ(first.targetFileName(), QDir(folder).filePath(QStringLiteral("Same.mp4")));
    EXPECT_EQ(second.targetFileName(), QDir(folder).filePath(QStringLiteral("Same 1.mp4")));
    EXPECT_EQ(second.mediaTitle(), QStringLiteral("Same 1"));
}

TEST(QVReelgrabTask, TargetNameStaysInsideItsFolder)
{
    const QString root = freshFolder(QStringLiteral("hostile"));
    const QString folder = QDir(root).filePath(QStringLiteral("missing/deeper")); // created on demand
    // A dangling link at the first candidate must not be followed.
    const QString outside = QDir(root).filePath(QStringLiteral("outside.mp4"));
    QDir().mkpath(folder);
    ASSERT_TRUE(QFile::link(outside, QDir(folder).filePath(QStringLiteral("video.mp4"))));
    QVReelgrabTask task;
    task.setTargetFilePath(folder);
    task.setMediaExtName(QStringLiteral("mp4"));
    task.setMediaTitle(QStringLiteral("\x01\x02..."));
    const QString target = task.targetFileName();
    EXPECT_EQ(target, QDir(folder).filePath(QStringLiteral("video 1.mp4")));
    EXPECT_FALSE(QFileInfo::exists(outside));

    QVReelgrabTask traversal;
    const QString fresh = QDir(root).filePath(QStringLiteral("new/sub"));
    traversal.setTargetFilePath(fresh);
    traversal.setMediaExtName(QStringLiteral("../../x"));
    traversal.setMediaTitle(QStringLiteral("../../../escape"));
    const QFileInfo info(traversal.targetFileName());
    EXPECT_EQ(info.absolutePath(), QDir(fresh).absolutePath());
    EXPECT_TRUE(info.isFile());

    QVReelgrabTask noFolder;
    noFolder.setMediaTitle(QStringLiteral("x"));
    EXPECT_TRUE(noFolder.targetFileName().isEmpty());
}

TEST(QVReelgrabTask, VideoPickOutByQualityBitrateAndFormat)
{
    const struct
    {
        const char *name;
        qint32 expect;
        QString ext;
        QList<QVSniffingMedia> medias;
        QStringList picked;
        QString extAfter;
    } cases[] = {
        {"720 of 360/720/1080, richest 720", 720, {},
         {media(MP4, 360, 9, "a"), media(FLV, 720, 5, "b"), media(MP4, 720, 7, "c"), media(MP4, 1080, 9, "d")},
         {"c"}, "mp4"},
        {"nearest wins", 720, {}, {media(MP4, 480, 1, "a"), media(MP4, 1080, 1, "b")}, {"a"}, "mp4"},
        {"equal distance keeps the first", 600, {}, {media(MP4, 480, 1, "a"), media(MP4, 720, 1, "b")}, {"a"}, "mp4"},
        {"tie: webm then mp4", 720, {}, {media(WebM, 720, 5, "w"), media(MP4, 720, 5, "m")}, {"m"}, "mp4"},
        {"tie: mp4 then webm", 720, {}, {media(MP4, 720, 5, "m"), media(WebM, 720, 5, "w")}, {"m"}, "mp4"},
        {"highest by default", 2147483647, {}, {media(MP4, 360, 1, "a"), media(WebM, 2160, 1, "b")}, {"b"}, "webm"},
        {"wanted extension", 720, QStringLiteral("WEBM"),
         {media(MP4, 720, 9, "m"), media(WebM, 720, 1, "w")}, {"w"}, "webm"},
        {"wanted extension missing: richest instead", 720, QStringLiteral("flv"),
         {media(MP4, 720, 9, "m"), media(WebM, 720, 1, "w")}, {"m"}, "mp4"},
        {"first candidate is audio of unknown quality", 2147483647, {},
         {media(MP4Audio, 2147483647, 128, "aud"), media(MP4, 360, 1, "v360"), media(MP4, 720, 1, "v720")},
         {"v720"}, "mp4"},
        {"picture only joins the richest sound", 720, {},
         {media(MP4Audio, 0, 64, "a64"), media(MP4Video, 720, 1, "v"), media(MP4Audio, 0, 128, "a128")},
         {"a128", "v"}, "mp4"},
        {"sound of unknown bitrate still joins", 720, {},
         {media(MP4Video, 720, 1, "v"), media(MP4Audio, 0, 0, "a0")}, {"a0", "v"}, "mp4"},
        {"picture only without sound", 720, {}, {media(MP4Video, 720, 1, "v")}, {}, "mp4v"},
        {"only audio candidates", 720, {}, {media(MP4Audio, 0, 1, "a")}, {}, {}},
        {"no candidates", 720, {}, {}, {}, {}},
    };
    for (const auto &c : cases) {
        QVReelgrabTask task;
        task.setExpectMediaQuality(c.expect);
        task.setMediaExtName(c.ext);
        task.setSniffingResult(resultOf(c.medias));
        EXPECT_EQ(urlsOf(task.segments()), c.picked) << c.name;
        EXPECT_EQ(task.mediaExtName(), c.extAfter.isNull() ? c.ext : c.extAfter) << c.name;
    }
}

// One picture address listed once per sound group: the entry chosen brings its own group's
// sound, whatever sound is richer.
TEST(QVReelgrabTask, PictureTakesTheSoundItsStreamNames)
{
    const QList<QVSniffingMedia> grouped{pictureWithSound(720, 5, "v", "aud1"), pictureWithSound(720, 9, "v", "aud2"),
                                         media(MP4Audio, 0, 0, "aud1"), media(MP4Audio, 0, 0, "aud2"),
                                         media(MP4Audio, 0, 320, "aud3")};
    QVReelgrabTask task;
    task.setExpectMediaQuality(720);
    task.setSniffingResult(resultOf(grouped));
    EXPECT_EQ(urlsOf(task.segments()), (QStringList{"aud2", "v"}));
    EXPECT_EQ(task.mediaExtName(), QStringLiteral("mp4"));

    // A named sound that is not among the candidates: the richest, as without a name.
    QVReelgrabTask gone;
    gone.setExpectMediaQuality(720);
    gone.setSniffingResult(resultOf(
        {pictureWithSound(720, 1, "v", "gone"), media(MP4Audio, 0, 64, "a64"), media(MP4Audio, 0, 128, "a128")}));
    EXPECT_EQ(urlsOf(gone.segments()), (QStringList{"a128", "v"}));
}

TEST(QVReelgrabTask, AudioOnlyPickOut)
{
    const struct
    {
        const char *name;
        qint32 content;
        QList<QVSniffingMedia> medias;
        QStringList picked;
    } cases[] = {
        {"richest audio", QVReelgrabContentAudio,
         {media(MP4, 720, 1, "v"), media(MP4Audio, 0, 64, "a64"), media(MP3, 0, 192, "m192")}, {"m192"}},
        {"only video: the leanest", QVReelgrabContentAudio,
         {media(MP4, 720, 900, "v900"), media(WebM, 360, 300, "v300"), media(FLV, 240, 600, "v600")}, {"v300"}},
        {"video bit wins over audio bit", QVReelgrabContentAudio | QVReelgrabContentVideo,
         {media(MP3, 0, 192, "m"), media(MP4, 720, 1, "v")}, {"v"}},
        {"neither bit", QVReelgrabContentSubtitle, {media(MP4, 720, 1, "v")}, {}},
    };
    for (const auto &c : cases) {
        QVReelgrabTask task;
        task.setDownloadContent(c.content);
        task.setSniffingResult(resultOf(c.medias));
        EXPECT_EQ(urlsOf(task.segments()), c.picked) << c.name;
        if (c.content == QVReelgrabContentAudio) {
            EXPECT_EQ(task.mediaExtName(), QStringLiteral("mp3")) << c.name;
        }
    }
}

TEST(QVReelgrabTask, DerivedSizesAndQuality)
{
    QVReelgrabTask task;
    QVSniffingMediaSegment a = segment(QStringLiteral("a"), MP4Audio, 10, 0);
    QVSniffingMediaSegment m = segment(QStringLiteral("m"), MP3, 20, 5);
    QVSniffingMediaSegment v = segment(QStringLiteral("v"), MP4Video, 5'000'000'000LL, 1080);
    a.setDownloadedBytes(1);
    v.setDownloadedBytes(3'000'000'000LL);
    a.setDownloadSpeed(7);
    v.setDownloadSpeed(8);
    task.setSegments({a, m, v});
    EXPECT_EQ(task.mediaQuality(), 1080);
    EXPECT_EQ(task.mediaSize(), 5'000'000'030LL);
    EXPECT_EQ(task.downloadedSize(), 3'000'000'001LL);
    EXPECT_EQ(task.downloadSpeed(), 15);

    // A missing result leaves the old one and its segments in place.
    task.setSniffingResult(resultOf({media(MP4, 720, 1, "x")}));
    task.setSniffingResult(static_cast<const QVMediaSniffingResult *>(nullptr));
    EXPECT_EQ(urlsOf(task.segments()), QStringList{QStringLiteral("x")});
}

TEST(QVReelgrabTask, SubtitlePickOut)
{
    auto sub = [](const char *code, const char *language, bool asDefault = false) {
        QVSniffingMediaSubtitle s;
        s.setLangCode(QString::fromLatin1(code));
        s.setLanguage(QString::fromLatin1(language));
        s.setAsDefault(asDefault);
        s.setContent(QString::fromLatin1(code) + u'/' + QString::fromLatin1(language));
        return s;
    };
    const struct
    {
        const char *name;
        const char *code;
        QList<QVSniffingMediaSubtitle> subs;
        const char *picked; // content of the pick, nullptr for none
    } cases[] = {
        {"two-letter match, last wins", "en-US", {sub("en", "E1"), sub("en-GB", "E2"), sub("fr", "F")}, "en-GB/E2"},
        {"exact match, last wins", "fr", {sub("fr", "A"), sub("en", "english"), sub("fr", "B")}, "fr/B"},
        {"english beats default", nullptr, {sub("de", "German", true), sub("en", "English")}, "en/English"},
        {"unknown code falls back", "ja", {sub("de", "German", true), sub("en", "ENGLISH")}, "en/ENGLISH"},
        {"last default", nullptr, {sub("de", "German", true), sub("it", "Italian", true), sub("fr", "French")}, "it/Italian"},
        {"first otherwise", nullptr, {sub("de", "German"), sub("fr", "French")}, "de/German"},
        {"short code compares whole", "e", {sub("en", "X"), sub("e", "Y"), sub("es", "Z")}, "e/Y"},
        {"none offered", "en", {}, nullptr},
    };
    for (const auto &c : cases) {
        QVReelgrabTask task;
        task.setSubtitleCode(c.code ? QString::fromLatin1(c.code) : QString());
        QVMediaSniffingResult r;
        r.setCandidateSubtitles(c.subs);
        task.setSniffingResult(r);
        const auto picked = task.pickoutSubtitle();
        if (!c.picked) {
            EXPECT_FALSE(picked.has_value()) << c.name;
            continue;
        }
        ASSERT_TRUE(picked.has_value()) << c.name;
        EXPECT_EQ(picked->content(), QString::fromLatin1(c.picked)) << c.name;
    }
}

TEST(QVReelgrabTask, SynchronizeSubtitleWritesBesideTheTarget)
{
    const QString folder = freshFolder(QStringLiteral("subs"));
    const struct
    {
        qint64 format;
        const char *ext;
    } formats[] = {{0, "srt"}, {1, "sub"}, {2, "ass"}};
    for (const auto &f : formats) {
        QVReelgrabTask task;
        task.setDownloadContent(QVReelgrabContentVideo | QVReelgrabContentSubtitle);
        task.setTargetFileName(QDir(folder).filePath(QStringLiteral("Film.%1.mp4").arg(f.format)));
        QVSniffingMediaSubtitle s;
        s.setSubtitleFormat(f.format);
        s.setContent(QStringLiteral("h\u00e9llo"));
        QVMediaSniffingResult r;
        r.setCandidateSubtitles({s});
        task.setSniffingResult(r);
        EXPECT_EQ(task.synchronizeSubtitle(), QStringLiteral("h\u00e9llo"));
        EXPECT_TRUE(task.matchSubtitle());
        QFile file(QDir(folder).filePath(QStringLiteral("Film.%1.%2").arg(f.format).arg(QLatin1String(f.ext))));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << f.ext;
        EXPECT_EQ(QString::fromUtf8(file.readAll()), QStringLiteral("h\u00e9llo"));
    }

    QVReelgrabTask notAsked; // no subtitle bit: nothing happens
    notAsked.setTargetFileName(QDir(folder).filePath(QStringLiteral("Other.mp4")));
    QVSniffingMediaSubtitle s;
    s.setContent(QStringLiteral("x"));
    QVMediaSniffingResult r;
    r.setCandidateSubtitles({s});
    notAsked.setSniffingResult(r);
    EXPECT_TRUE(notAsked.synchronizeSubtitle().isEmpty());
    EXPECT_FALSE(notAsked.matchSubtitle());
    EXPECT_FALSE(QFileInfo::exists(QDir(folder).filePath(QStringLiteral("Other.srt"))));
}

TEST(QVReelgrabTask, SegmentSavePaths)
{
    const QString downloading = QVReelgrabTask::workRoot();
    EXPECT_EQ(downloading, TestEnvironment::home() + QStringLiteral("/.cache/fennixpro/ReelgrabKit/Downloading"));
    QVReelgrabTask task;
    task.setTargetFileName(QStringLiteral("/x/Film.mp4"));
    task.setSegments({segment(QStringLiteral("0"), MP4, 1), segment(QStringLiteral("1"), TS, 1),
                      segment(QStringLiteral("2"), WebM, 1)});
    const QString work = QDir(downloading).filePath(task.guid());
    EXPECT_EQ(task.workFolder(), work);
    EXPECT_EQ(task.savePath4Segment(0), work + QStringLiteral("/Film-00.mp4"));
    EXPECT_EQ(task.savePath4Segment(1), work + QStringLiteral("/Film-01.ts"));
    EXPECT_EQ(task.savePath4Segment(task.segments().at(2)), work + QStringLiteral("/Film-02.webm"));
    EXPECT_TRUE(QFileInfo(work).isDir());
    EXPECT_TRUE(task.savePath4Segment(3).isEmpty());
    EXPECT_TRUE(task.savePath4Segment(-1).isEmpty());
    EXPECT_TRUE(task.savePath4Segment(segment(QStringLiteral("elsewhere"), MP4)).isEmpty());

    // A name that starts with ":" (a title that began with "/") stays a plain file name.
    QVReelgrabTask colon;
    colon.setTargetFileName(QStringLiteral("/x/:Film.mp4"));
    colon.setSegments(task.segments());
    EXPECT_EQ(colon.savePath4Segment(0), colon.workFolder() + QStringLiteral("/:Film-00.mp4"));

    // Two tasks with the same target name never share a work folder.
    QVReelgrabTask twin;
    twin.setTargetFileName(QStringLiteral("/y/Film.mp4"));
    twin.setSegments(task.segments());
    EXPECT_NE(twin.savePath4Segment(0), task.savePath4Segment(0));

    QVReelgrabTask single;
    single.setTargetFileName(QStringLiteral("/x/Song.mp3"));
    single.setSegments({segment(QStringLiteral("v"), MP4, 1)});
    EXPECT_EQ(single.savePath4Segment(0), QStringLiteral("/x/Song.mp3")); // a single video goes straight to the target
    single.setDownloadContent(QVReelgrabContentAudio);
    EXPECT_EQ(single.savePath4Segment(0), single.workFolder() + QStringLiteral("/Song.mp4"));
    single.setSegments({segment(QStringLiteral("m"), MP3, 1)});
    EXPECT_EQ(single.savePath4Segment(0), QStringLiteral("/x/Song.mp3"));

    // A task read from an archive without a usable guid falls back to its target name.
    QVReelgrabTask odd;
    odd.setGuid(QStringLiteral("../../etc"));
    odd.setTargetFileName(QStringLiteral("/x/Film.mp4"));
    EXPECT_EQ(odd.workFolder(), QDir(downloading).filePath(QStringLiteral("Film")));
}

TEST(QVReelgrabTask, SiteTestAndAdjustedGetters)
{
    QVReelgrabTask task;
    task.setPageUrl(QStringLiteral("https://www.dailymotion.com/video/x1"));
    EXPECT_TRUE(task.isSiteof(QStringLiteral("dailymotion")));
    EXPECT_FALSE(task.isSiteof(QStringLiteral("youtube")));
    task.setPageUrl(QStringLiteral("http://[::1"));
    EXPECT_TRUE(task.isSiteof(QStringLiteral("anything"))); // not a valid URL

    task.setPageUrl(QStringLiteral("https://youtu.be/abc?t=10"));
    EXPECT_EQ(task.pageUrl(), QStringLiteral("https://www.youtube.com/watch?v=abc&t=10"));
    EXPECT_EQ(task.storedPageUrl(), QStringLiteral("https://youtu.be/abc?t=10"));
    EXPECT_TRUE(task.userAgent().startsWith(QStringLiteral("Mozilla/5.0")));
    EXPECT_TRUE(task.storedUserAgent().isEmpty());
}

TEST(QVReelgrabTaskArchive, RoundTripInProcessKeepsStoredValues)
{
    const auto task = fullTask();
    QString error;
    const auto back = QVReelgrabTask::taskWithArchive(task->archivedData(), &error);
    ASSERT_TRUE(back) << qPrintable(error);
    EXPECT_EQ(dumpTask(*back), dumpTask(*task));
    EXPECT_EQ(back->sniffingResult(), task->sniffingResult());
    EXPECT_EQ(back->segments(), task->segments()); // with their progress, not a fresh pick-out
    EXPECT_EQ(back->metaData(), task->metaData());
    EXPECT_FALSE(back->generateDateTime().isValid()); // not archived
}

TEST(QVReelgrabTaskArchive, AnotherProcessReadsEveryField)
{
    const auto task = fullTask();
    QTemporaryDir dir(QDir(TestEnvironment::home()).filePath(QStringLiteral("xproc-XXXXXX")));
    ASSERT_TRUE(dir.isValid());
    const QString in = dir.filePath(QStringLiteral("task.archive"));
    const QString out = dir.filePath(QStringLiteral("back.archive"));
    QFile file(in);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(task->archivedData());
    file.close();

    QProcess child;
    child.start(QStringLiteral(REELGRAB_ROUNDTRIP_HELPER), {in, out});
    ASSERT_TRUE(child.waitForFinished(30000));
    ASSERT_EQ(child.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardError().constData();
    // What the other process holds, field by field ...
    EXPECT_EQ(QString::fromUtf8(child.readAllStandardOutput()), dumpTask(*task));
    // ... and what it sends back reads as the original here.
    QFile backFile(out);
    ASSERT_TRUE(backFile.open(QIODevice::ReadOnly));
    const auto back = QVReelgrabTask::taskWithArchive(backFile.readAll());
    ASSERT_TRUE(back);
    EXPECT_EQ(dumpTask(*back), dumpTask(*task));

    // The other process refuses bytes that are not a task archive.
    QFile bad(in);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not an archive");
    bad.close();
    child.start(QStringLiteral(REELGRAB_ROUNDTRIP_HELPER), {in, out});
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 1);
}

TEST(QVReelgrabTaskArchive, ReadsAnArchiveWrittenWithTheFixedKeys)
{
    // Built key by key as an earlier build stored it: no class names, some keys absent.
    QCborMap seg;
    seg.insert(QStringLiteral("bytes"), 2048);
    seg.insert(QStringLiteral("url"), QStringLiteral("http://127.0.0.1/s"));
    seg.insert(QStringLiteral("format"), qint64(MP4));
    seg.insert(QStringLiteral("quality"), 480);
    seg.insert(QStringLiteral("downloaded-bytes"), 1024);
    seg.insert(QStringLiteral("save-path"), QStringLiteral("/tmp/s"));
    QCborMap mediaMap;
    mediaMap.insert(QStringLiteral("bitrate"), 1000);
    mediaMap.insert(QStringLiteral("seekable"), true);
    mediaMap.insert(QStringLiteral("media-format"), qint64(MP4));
    mediaMap.insert(QStringLiteral("media-quality"), 480);
    mediaMap.insert(QStringLiteral("segments"), QCborArray{seg});
    QCborMap sub;
    sub.insert(QStringLiteral("subtitle-format"), 2);
    sub.insert(QStringLiteral("subtitle-language"), QStringLiteral("English"));
    sub.insert(QStringLiteral("subtitle-langcode"), QStringLiteral("en"));
    sub.insert(QStringLiteral("subtitle-default"), true);
    sub.insert(QStringLiteral("subtitle-content"), QStringLiteral("text"));
    QCborMap result;
    result.insert(QStringLiteral("sniffer"), 1);
    result.insert(QStringLiteral("media-title"), QStringLiteral("Old"));
    result.insert(QStringLiteral("media-icon"), QStringLiteral("/i"));
    result.insert(QStringLiteral("media-thumbnail"), QStringLiteral("/t"));
    result.insert(QStringLiteral("candidate-medias"), QCborArray{mediaMap});
    result.insert(QStringLiteral("candidate-subtitles"), QCborArray{sub});
    QCborMap meta;
    meta.insert(QStringLiteral("title"), QStringLiteral("MT"));
    meta.insert(QStringLiteral("trackCount"), 4);
    QCborMap task;
    task.insert(QStringLiteral("guid"), QStringLiteral("0E4A2C7B-0D9B-4C1E-9A9F-2B3C4D5E6F70"));
    task.insert(QStringLiteral("taskid"), 9);
    task.insert(QStringLiteral("page-url"), QStringLiteral("http://127.0.0.1/page"));
    task.insert(QStringLiteral("cookies"), QStringLiteral("c=1"));
    task.insert(QStringLiteral("user-agent"), QStringLiteral("UA"));
    task.insert(QStringLiteral("download-content"), 6);
    task.insert(QStringLiteral("download-status"), 6);
    task.insert(QStringLiteral("media-title"), QStringLiteral("Stored"));
    task.insert(QStringLiteral("browser"), QStringLiteral("chrome"));
    task.insert(QStringLiteral("subtitle-langcode"), QStringLiteral("en"));
    task.insert(QStringLiteral("match-Subtitle"), true);
    task.insert(QStringLiteral("target-path"), QStringLiteral("/v"));
    task.insert(QStringLiteral("expect-qulity"), 480);
    task.insert(QStringLiteral("sniffing-result"), result);
    task.insert(QStringLiteral("segments"), QCborArray{seg});
    task.insert(QStringLiteral("media-ext-name"), QStringLiteral("mp4"));
    task.insert(QStringLiteral("meta-data"), meta);
    task.insert(QStringLiteral("playlist-name"), QStringLiteral("P"));
    task.insert(QStringLiteral("playlist-uuid"), QStringLiteral("U"));
    task.insert(QStringLiteral("playlist-index"), 3);
    task.insert(QStringLiteral("some-later-key"), QStringLiteral("ignored"));

    const auto read = QVReelgrabTask::taskWithArchive(QCborValue(task).toCbor());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->guid(), QStringLiteral("0E4A2C7B-0D9B-4C1E-9A9F-2B3C4D5E6F70"));
    EXPECT_EQ(read->taskId(), 9);
    EXPECT_EQ(read->storedPageUrl(), QStringLiteral("http://127.0.0.1/page"));
    EXPECT_EQ(read->cookies(), QStringLiteral("c=1"));
    EXPECT_EQ(read->storedUserAgent(), QStringLiteral("UA"));
    EXPECT_EQ(read->downloadContent(), 6);
    EXPECT_EQ(read->downloadStatus(), QVReelgrabTaskStatusPaused);
    EXPECT_EQ(read->storedMediaTitle(), QStringLiteral("Stored"));
    EXPECT_EQ(read->browser(), QStringLiteral("chrome"));
    EXPECT_EQ(read->subtitleCode(), QStringLiteral("en"));
    EXPECT_TRUE(read->matchSubtitle());
    EXPECT_EQ(read->targetFilePath(), QStringLiteral("/v"));
    EXPECT_TRUE(read->storedTargetFileName().isEmpty()); // absent: computed anew on first read
    EXPECT_EQ(read->expectMediaQuality(), 480);
    EXPECT_EQ(read->sniffingResult().mediaTitle(), QStringLiteral("Old"));
    EXPECT_EQ(read->sniffingResult().mediaIcon(), QStringLiteral("/i"));
    ASSERT_EQ(read->sniffingResult().candidateMedias().size(), 1);
    EXPECT_TRUE(read->sniffingResult().candidateMedias().first().seekable());
    ASSERT_EQ(read->sniffingResult().candidateSubtitles().size(), 1);
    EXPECT_EQ(read->sniffingResult().candidateSubtitles().first().subtitleFormat(), 2);
    EXPECT_TRUE(read->sniffingResult().candidateSubtitles().first().asDefault());
    ASSERT_EQ(read->segments().size(), 1);
    EXPECT_EQ(read->segments().first().downloadStatus(), 0); // absent in the stored segment
    EXPECT_EQ(read->segments().first().downloadedBytes(), 1024);
    EXPECT_EQ(read->segments().first().savePath(), QStringLiteral("/tmp/s"));
    EXPECT_EQ(read->mediaExtName(), QStringLiteral("mp4"));
    EXPECT_EQ(read->metaData().title(), QStringLiteral("MT"));
    EXPECT_EQ(read->metaData().trackCount(), 4);
    EXPECT_EQ(read->playlistName(), QStringLiteral("P"));
    EXPECT_EQ(read->playlistUUID(), QStringLiteral("U"));
    EXPECT_EQ(read->indexInPlaylist(), 3);

    // And what this build writes uses exactly those keys.
    KeyedUnarchiver written(fullTask()->archivedData());
    ASSERT_TRUE(written.isValid());
    for (const char *key : {"guid", "taskid", "page-url", "cookies", "user-agent", "download-content",
                            "download-status", "media-title", "browser", "subtitle-langcode", "match-Subtitle",
                            "target-path", "target-name", "expect-qulity", "sniffing-result", "segments",
                            "media-ext-name", "meta-data", "playlist-name", "playlist-uuid", "playlist-index"})
        EXPECT_TRUE(written.containsKey(QString::fromLatin1(key))) << key;
    QVReelgrabTask unnamed;
    EXPECT_FALSE(KeyedUnarchiver(unnamed.archivedData()).containsKey(QStringLiteral("target-name")));
}

TEST(QVReelgrabTaskArchive, AbsentKeysReadAsEmptyWithoutDefaults)
{
    const auto read = QVReelgrabTask::taskWithArchive(QCborValue(QCborMap()).toCbor());
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->guid().isEmpty());
    EXPECT_EQ(read->downloadContent(), 0);
    EXPECT_EQ(read->expectMediaQuality(), 0);
    EXPECT_FALSE(read->matchSubtitle());
    EXPECT_TRUE(read->segments().isEmpty());
    EXPECT_TRUE(read->sniffingResult().candidateMedias().isEmpty());
    EXPECT_TRUE(read->failureReason().isEmpty());
}

// A failed task's reason travels with its archive (the stored queue); one without a reason
// writes no key, so older readers see the record they know.
TEST(QVReelgrabTaskArchive, FailureReasonIsKeptWhenThereIsOne)
{
    QVReelgrabTask failed;
    failed.setFailureReason(QStringLiteral("The server answered 404 Not Found"));
    const auto read = QVReelgrabTask::taskWithArchive(failed.archivedData());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->failureReason(), QStringLiteral("The server answered 404 Not Found"));
    QVReelgrabTask fine;
    EXPECT_FALSE(KeyedUnarchiver(fine.archivedData()).containsKey(QStringLiteral("failure-reason")));
}

TEST(QVReelgrabTaskArchive, BadBytesAreAnErrorNeverACrash)
{
    const QByteArray good = fullTask()->archivedData();
    QString error;
    EXPECT_FALSE(QVReelgrabTask::taskWithArchive(QByteArray(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QVReelgrabTask::taskWithArchive(QByteArray("\xff\xff\xff"), &error));
    EXPECT_FALSE(QVReelgrabTask::taskWithArchive(KeyedArchiver::archivedDataWithRootObject(QVMediaMetaData()), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("QVMediaMetaData"))) << qPrintable(error);
    // Every cut and a spread of flipped bytes: a task or an error, nothing else.
    for (qsizetype cut = 0; cut < good.size(); cut += 7)
        (void)QVReelgrabTask::taskWithArchive(good.left(cut));
    QRandomGenerator random(1234);
    for (int round = 0; round < 2000; ++round) {
        QByteArray damaged = good;
        for (int k = 0; k < 1 + round % 4; ++k)
            damaged[random.bounded(int(damaged.size()))] = char(random.bounded(256));
        if (auto task = QVReelgrabTask::taskWithArchive(damaged)) {
            (void)task->mediaFileName();
            task->setSniffingResult(QVMediaSniffingResult(task->sniffingResult()));
        }
    }
}
