// Address rules, the paste guard, content decisions, row texts and button matrices, the
// taskbar progress, the options dialog's helpers and its cache.
#include "downloads/DockProgress.h"
#include "downloads/DownloadContentRules.h"
#include "downloads/DownloadURLRules.h"
#include "downloads/MTDockIconContentView.h"
#include "downloads/MediaOptionsWndCtrl.h"
#include "downloads/PasteClickGuard.h"
#include "downloads/PasteURLWndCtrl.h"
#include "downloads/ReelgrabingUI.h"
#include "downloads/TurboAminWindowCtrl.h"
#include "downloads/VideoInfosCache.h"
#include "platform/Dispatch.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// formatMutiURL -------------------------------------------------------------------------------------

TEST(DownloadURLRules, FormatMutiURLTable)
{
    struct Case { const char *in; const char *out; };
    const Case cases[] = {
        {"http://a.com/x", "http://a.com/x"},
        {"HTTPS://A.com/x", "HTTPS://A.com/x"},
        {"WWW.youtube.com/watch?v=1", "http://WWW.youtube.com/watch?v=1"},
        {"http://a.com/1\nhttp://b.com/2", "http://a.com/1"},
        {"ftp://a.com/file", ""},
        {"http:/", ""},
        {"http://", "http://"},
        {"", ""},
        {"www", ""},
        {"javascript:alert(1)", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DownloadURLRules::formatMutiURL(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(DownloadURLRules, PasteRoadTable)
{
    struct Case { const char *clipboard; const char *queued; };
    const Case cases[] = {
        {"  WWW.youtube.com/watch?v=abc  \n", "http://WWW.youtube.com/watch?v=abc"},
        {"https://a.com/one\nhttps://b.com/two", "https://a.com/one"},
        {"https://a.com/a b#frag", "https://a.com/a%20b#frag"},
        {"https://a.com/%E4%BD%A0", "https://a.com/%E4%BD%A0"},
        {"https://a.com/\xe4\xbd\xa0", "https://a.com/%E4%BD%A0"},
        {"http://a", ""},        // 8 characters
        {"http://ab", "http://ab"}, // 9 characters
        {"ftp://files.example.com/x", ""},
        {"file:///etc/passwd", ""},
        {"javascript:alert(document.cookie)", ""},
        {"data:text/html,<b>x</b>", ""},
        {"http://", ""},
        {"https://", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DownloadURLRules::pastedAddress(QString::fromUtf8(c.clipboard)), QString::fromUtf8(c.queued))
            << c.clipboard;
}

TEST(DownloadURLRules, DropRoadKeepsTheAddressUnescapedAndRefusesOtherSchemes)
{
    EXPECT_EQ(DownloadURLRules::droppedAddress(QStringLiteral("https://a.com/a b")), QStringLiteral("https://a.com/a b"));
    EXPECT_EQ(DownloadURLRules::droppedAddress(QStringLiteral("http://a")), QString());
    EXPECT_EQ(DownloadURLRules::droppedAddress(QStringLiteral("ftp://a.com/x")), QString());
    EXPECT_EQ(DownloadURLRules::droppedAddress(QStringLiteral("file:///home/u/x.mp4")), QString());
    EXPECT_EQ(DownloadURLRules::droppedAddress(QStringLiteral("www.a.com/v")), QStringLiteral("http://www.a.com/v"));
}

TEST(PasteURLWindow, AcceptsOnlyWebAddressesOfNineCharactersOrMore)
{
    PasteURLWndCtrl window;
    window.setURL(QStringLiteral("ftp://x.com/a"));
    window.clickDownload();
    EXPECT_TRUE(window.isInvalidLabelShown());
    EXPECT_EQ(window.result(), 0);
    window.setURL(QStringLiteral("www.a.com/v"));
    window.clickDownload();
    EXPECT_EQ(window.result(), 1);
}

// Paste guard ------------------------------------------------------------------------------------------

struct ManualClock : dispatch::Clock
{
    qint64 now = 0;
    qint64 nowMs() const override { return now; }
};

TEST(PasteClickGuard, DropsClicksWithin800msOfTheLastAcceptedOne)
{
    ManualClock clock;
    dispatch::Clock::setForTesting(&clock);
    struct Step { qint64 at; bool accepted; };
    // Relative to the last accepted click: 500 ms is dropped, 800 ms accepted.
    const Step steps[] = {{10'000, true}, {10'500, false}, {10'800, true}, {11'599, false}, {11'600, true}};
    PasteClickGuard guard;
    for (const Step &s : steps) {
        clock.now = s.at;
        EXPECT_EQ(guard.accept(), s.accepted) << s.at;
    }
    // The tick counter wraps at 32 bits; the unsigned difference still measures the gap.
    clock.now = 0xFFFFFF00LL;
    PasteClickGuard wrapping;
    EXPECT_TRUE(wrapping.accept());
    clock.now = 0x100000000LL + 0x100; // 512 ms later, past the wrap
    EXPECT_FALSE(wrapping.accept());
    clock.now = 0x100000000LL + 0x400; // 1280 ms later
    EXPECT_TRUE(wrapping.accept());
    dispatch::Clock::setForTesting(nullptr);
}

// Content decisions --------------------------------------------------------------------------------------

TEST(DownloadContentRules, ContentsTable)
{
    using DownloadContentRules::OptionsChoice;
    using DownloadContentRules::Settings;
    const QString yt = QStringLiteral("https://www.youtube.com/watch?v=abc");
    const QString other = QStringLiteral("https://videos.example.com/v/1");
    Settings none;
    Settings autoAudio;
    autoAudio.youTubeAutoDownloadMode = true;
    autoAudio.desiredFormatIsAudio = true;
    autoAudio.autoDownloadCaptions = true;
    autoAudio.defaultSubtitleCode = QStringLiteral("fr");
    Settings convert = autoAudio;
    convert.downAndConvertOneMode = true;
    Settings convertNoCaptions = convert;
    convertNoCaptions.autoDownloadCaptions = false;

    struct Case
    {
        const char *name;
        int classification;
        QString url;
        QVariantMap params;
        bool options;
        Settings settings;
        std::optional<OptionsChoice> dialog; // nothing: the dialog must not open
        std::optional<QVariantMap> expected;
    };
    const OptionsChoice video720{1, 720, QStringLiteral("mp4v"), QStringLiteral("en")};
    const OptionsChoice video720NoSubs{1, 720, QStringLiteral("mp4v"), QString()};
    const OptionsChoice audio{1, 0, QStringLiteral("mp3"), QString()};
    const OptionsChoice cancelled{0, 0, {}, {}};
    const Case cases[] = {
        {"non-YouTube page with options", 2, other, {}, true, none, std::nullopt, QVariantMap{{"Contents", 2}}},
        {"caller contents kept", 2, other, {{"Contents", 4}}, false, none, std::nullopt, QVariantMap{{"Contents", 4}}},
        {"YouTube without options", 2, yt, {}, false, none, std::nullopt, QVariantMap{{"Contents", 2}}},
        {"play list with audio", 16, yt, {{"Contents", 4}}, true, none, std::nullopt, QVariantMap{{"Contents", 20}}},
        {"play list plain", 16, yt, {}, true, none, std::nullopt, QVariantMap{{"Contents", 16}}},
        {"refused", 0, other, {}, true, none, std::nullopt, std::nullopt},
        {"auto audio, no subtitles", 2, yt, {}, true, autoAudio, std::nullopt, QVariantMap{{"Contents", 4}}},
        {"download then convert with captions", 2, yt, {}, true, convert, std::nullopt,
         QVariantMap{{"Contents", 10}, {"SubtitleCode", "fr"}}},
        {"download then convert without captions", 2, yt, {}, true, convertNoCaptions, std::nullopt,
         QVariantMap{{"Contents", 2}}},
        {"dialog video with subtitles", 2, yt, {}, true, none, video720,
         QVariantMap{{"Contents", 10}, {"Quality", 720}, {"Format", "mp4v"}, {"SubtitleCode", "en"}}},
        {"dialog video, subtitles off", 2, yt, {}, true, none, video720NoSubs,
         QVariantMap{{"Contents", 2}, {"Quality", 720}, {"Format", "mp4v"}}},
        {"dialog audio", 2, yt, {}, true, none, audio, QVariantMap{{"Contents", 4}}},
        {"dialog cancelled", 2, yt, {}, true, none, cancelled, std::nullopt},
        {"short link is YouTube", 2, QStringLiteral("https://youtu.be/abc"), {}, true, none, cancelled, std::nullopt},
    };
    for (const Case &c : cases) {
        bool opened = false;
        auto dialog = [&](const QString &, const QString &) {
            opened = true;
            return c.dialog.value_or(OptionsChoice{});
        };
        const auto got = DownloadContentRules::taskParams(c.classification, c.url, c.params, c.options, c.settings, dialog);
        EXPECT_EQ(opened, c.dialog.has_value()) << c.name;
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.name;
        if (!got)
            continue;
        EXPECT_EQ(got->value("Contents").toInt(), c.expected->value("Contents").toInt()) << c.name;
        for (const char *key : {"Quality", "Format", "SubtitleCode"}) {
            EXPECT_EQ(got->contains(key), c.expected->contains(key)) << c.name << " " << key;
            EXPECT_EQ(got->value(key).toString(), c.expected->value(key).toString()) << c.name << " " << key;
        }
    }
}

// Row texts and button matrices ---------------------------------------------------------------------------

TEST(ReelgrabingUI, ButtonMatricesOfRowAndActionView)
{
    using B = ReelgrabingUI::ButtonStates;
    const std::optional<bool> Y = true, N = false, U = std::nullopt;
    // delete, pause, retry, resume, stop
    const B row[] = {{Y, Y, N, N, Y}, {Y, Y, N, N, Y}, {Y, N, N, Y, N}, {Y, N, Y, N, N}, {Y, Y, N, N, N},
                     {Y, Y, N, N, N}, {Y, N, N, Y, N}, {Y, N, Y, N, N}, {N, N, N, N, N}, {N, N, N, N, N},
                     {U, U, U, U, U}};
    const B action[] = {{Y, N, N, N, Y}, {Y, N, N, N, Y}, {Y, N, Y, N, N}, {Y, N, N, N, N}, {Y, Y, N, N, N},
                        {Y, Y, N, N, N}, {Y, N, N, Y, N}, {Y, N, N, N, N}, {N, N, N, N, N}, {N, N, N, N, N},
                        {U, U, N, U, U}};
    for (int status = 0; status <= 10; ++status) {
        EXPECT_EQ(ReelgrabingUI::rowButtonsForStatus(status), row[status]) << "row, status " << status;
        EXPECT_EQ(ReelgrabingUI::actionButtonsForStatus(status), action[status]) << "action, status " << status;
    }
}

TEST(ReelgrabingUI, SizesTimesAndPercents)
{
    EXPECT_EQ(ReelgrabingUI::remainTimeWithSpeed(100, 100, 10), QString());
    EXPECT_EQ(ReelgrabingUI::remainTimeWithSpeed(0, 100, 0), QString());
    EXPECT_FALSE(ReelgrabingUI::remainTimeWithSpeed(0, 100'000, 1000).isEmpty());
    EXPECT_EQ(ReelgrabingUI::downloadedSizeOfMediaSize(1'500, 2'000'000), QStringLiteral("1.5 KB of 2.0 MB"));
    EXPECT_EQ(ReelgrabingUI::percentOf(50, 0), 0.0);
    EXPECT_EQ(ReelgrabingUI::percentOf(50, 200), 25.0);
    EXPECT_EQ(ReelgrabingUI::percentOf(500, 200), 100.0);
    for (int s : {0, 1, 4, 5})
        EXPECT_TRUE(ReelgrabingUI::isRuning(s)) << s;
    for (int s : {2, 3, 6, 7, 8, 9})
        EXPECT_FALSE(ReelgrabingUI::isRuning(s)) << s;
}

// Taskbar progress ----------------------------------------------------------------------------------------

TEST(DockProgress, SummaryTable)
{
    using DockProgress::Summary;
    using DockProgress::TaskState;
    struct Case { const char *name; QList<TaskState> tasks; Summary expected; };
    const Case cases[] = {
        {"empty", {}, {0.0, 0, 0, 0}},
        {"25 and 75 percent", {{5, 25, 100}, {5, 75, 100}}, {0.5, 2, 0, 2}},
        {"one failed", {{7, 10, 100}}, {0.0, 0, 1, 0}},
        {"unknown size counts as not started", {{5, 1000, 0}, {6, 50, 100}}, {0.25, 2, 0, 2}},
        {"finished and waiting count for nothing but the total", {{9, 0, 0}, {4, 0, 0}, {0, 0, 0}}, {0.0, 3, 0, 1}},
        {"failed beside active", {{3, 0, 0}, {5, 100, 100}}, {1.0, 2, 1, 1}},
    };
    for (const Case &c : cases) {
        const Summary s = DockProgress::summarize(c.tasks);
        EXPECT_FALSE(std::isnan(s.progress)) << c.name;
        EXPECT_DOUBLE_EQ(s.progress, c.expected.progress) << c.name;
        EXPECT_EQ(s.count, c.expected.count) << c.name;
        EXPECT_EQ(s.failedCount, c.expected.failedCount) << c.name;
        EXPECT_EQ(s.activeCount, c.expected.activeCount) << c.name;
    }
}

TEST(MTDockIconContentView, DrawsTheBareIconWithoutCountAndTheQuarterPieAtOneQuarter)
{
    QImage icon(128, 128, QImage::Format_ARGB32_Premultiplied);
    icon.fill(QColor(0, 0, 200));
    MTDockIconContentView view(icon, 0.9f, 0);
    EXPECT_EQ(view.renderImage(QSize(128, 128)), icon.convertToFormat(QImage::Format_ARGB32_Premultiplied));

    view.setProgress(0.25f, 2);
    const QImage drawn = view.renderImage(QSize(128, 128));
    // Disc centre (0.8 W - 2, H - 0.2 H - 2), radius 0.2 W: a point up-right of the centre is in
    // the pie (twelve to three o'clock), one down-left is the grey disc.
    const QPointF c(0.8 * 128 - 2, 128 - (0.2 * 128 + 2));
    const QColor green = drawn.pixelColor(QPoint(int(c.x() + 12), int(c.y() - 12)));
    const QColor grey = drawn.pixelColor(QPoint(int(c.x() - 12), int(c.y() + 12)));
    EXPECT_NEAR(green.redF(), 0.59, 0.02);
    EXPECT_NEAR(green.greenF(), 0.85, 0.02);
    EXPECT_NEAR(grey.redF(), 0.9, 0.02);
    EXPECT_NEAR(grey.blueF(), 0.9, 0.02);
}

TEST(TurboAminWindow, TurnOnOnlyAfterTheLastFrameAndClosingAnswersZero)
{
    TurboAminWindowCtrl window;
    window.startAnimation(QRect());
    EXPECT_FALSE(window.isTurnOnEnabled());
    window.clickTurbo();
    EXPECT_EQ(window.result(), 0);
    for (int i = TurboAminWindowCtrl::FirstFrame; i <= TurboAminWindowCtrl::LastFrame; ++i)
        window.updateConnectingImage();
    EXPECT_FALSE(window.isTurnOnEnabled());
    window.updateConnectingImage();
    EXPECT_TRUE(window.isTurnOnEnabled());
    EXPECT_FALSE(window.isAnimating());
    window.clickTurbo();
    EXPECT_EQ(window.result(), 1);

    TurboAminWindowCtrl closing;
    QTimer::singleShot(100, &closing, [&] { closing.reject(); });
    EXPECT_EQ(closing.showTurboWindow(QRect()), 0);
}

// Options dialog -------------------------------------------------------------------------------------------

TEST(MediaOptions, PreselectionNearest720WithTheEarlierRowOnATie)
{
    struct Case { QStringList rows; int expected; };
    const Case cases[] = {{{"1080", "720", "480"}, 1}, {{"1080", "480"}, 1}, {{"1080", "360"}, 0}, {{}, 0}, {{"240"}, 0}};
    for (const Case &c : cases)
        EXPECT_EQ(MediaOptionsWndCtrl::preselectedResolutionRow(c.rows), c.expected) << c.rows.join(',').toStdString();
}

TEST(MediaOptions, SniffResultKeepsTheFirstFormatOfAQualityAndSortsHighestFirst)
{
    QVOnlineVideoInfo info;
    info.setMediaTitle(QStringLiteral("Clip"));
    info.setDuration(100);
    info.setMediaInfos({{0x6d703476, 720}, {0x77656264, 720}, {0x6d703476, 1080}, {0x77656264, 0}, {0x33677020, 480}});
    const QVariantMap result = MediaOptionsWndCtrl::resultFromSniff(info);
    EXPECT_EQ(result.value("720").toLongLong(), 0x6d703476);
    EXPECT_EQ(MediaOptionsWndCtrl::resolutionArrayFrom(result), (QStringList{"1080", "720", "480"}));
    EXPECT_EQ(MediaOptionsWndCtrl::formatName(0x6d703476), QStringLiteral("mp4v"));
    EXPECT_EQ(MediaOptionsWndCtrl::formatName(0x33677020), QStringLiteral("3gp"));
    EXPECT_EQ(MediaOptionsWndCtrl::displayFormatName(QStringLiteral("mp4v")), QStringLiteral("MP4"));
    EXPECT_EQ(MediaOptionsWndCtrl::audioSizeText(320, 100), QStringLiteral("3.9MB"));
    QVOnlineVideoInfo empty;
    empty.setMediaTitle(QStringLiteral("No media"));
    EXPECT_TRUE(MediaOptionsWndCtrl::resultFromSniff(empty).isEmpty());
}

QVOnlineVideoInfo sampleInfo(const QString &title, QStringList codes = {QStringLiteral("en"), QStringLiteral("fr")})
{
    QVOnlineVideoInfo info;
    info.setMediaTitle(title);
    info.setDuration(100);
    info.setMediaInfos({{0x6d703476, 1080}, {0x6d703476, 720}, {0x77656264, 480}});
    info.setSubtitleCodes(codes);
    return info;
}

TEST(MediaOptions, DialogPreselectsAnswersTheChoiceAndUsesTheCacheTheSecondTime)
{
    const QString cache = TestEnvironment::home() + QStringLiteral("/VideoInfos-dialog.plist");
    int sniffs = 0;
    auto open = [&](const QString &title) {
        auto dialog = std::make_unique<MediaOptionsWndCtrl>();
        dialog->setCachePath(cache);
        dialog->setSniffer([&sniffs, title](const QString &, const QString &) {
            ++sniffs;
            return sampleInfo(title);
        });
        dialog->setSizeEstimator([](qint32 lines, qint64 s) { return qint64(lines) * s * 1000; });
        dialog->startLoading(QStringLiteral("https://www.youtube.com/watch?v=x"), QString());
        EXPECT_TRUE(TestEnvironment::waitFor([&] { return dialog->isLoaded(); }, 5000));
        return dialog;
    };
    auto first = open(QStringLiteral("First"));
    EXPECT_EQ(first->tableViewCheckIndex(), 1); // 720
    EXPECT_EQ(first->getVideoResolution(), 720);
    EXPECT_EQ(first->getVideoFormat(), QStringLiteral("mp4v"));
    EXPECT_EQ(first->getSubtitleCode(), QStringLiteral("en"));
    first->setSubtitleWanted(false);
    EXPECT_EQ(first->getSubtitleCode(), QString()) << "subtitles off asks for none";
    first->chooseAudioRow(0);
    EXPECT_EQ(first->getVideoResolution(), -1);
    EXPECT_EQ(first->getVideoFormat(), QStringLiteral("mp3"));
    EXPECT_EQ(first->tableViewCheckIndex(), -1);
    EXPECT_EQ(first->audioTable()->item(0, 3)->text(), QStringLiteral("3.9MB"));

    auto second = open(QStringLiteral("Second"));
    EXPECT_EQ(sniffs, 1) << "the second opening is served from the cache";
    EXPECT_EQ(second->snifferVideo().value(VideoInfosCache::TitleKey).toString(), QStringLiteral("First"));
}

TEST(MediaOptions, FailedSniffClosesWithMinusOneAndALateSniffDoesNotTouchAClosedDialog)
{
    MediaOptionsWndCtrl failing;
    failing.setCachePath(TestEnvironment::home() + QStringLiteral("/VideoInfos-fail.plist"));
    failing.setSniffer([](const QString &, const QString &) { return QVOnlineVideoInfo(); });
    int code = 99;
    QObject::connect(&failing, &MediaOptionsWndCtrl::loadFinished, [&](int c) { code = c; });
    failing.startLoading(QStringLiteral("https://www.youtube.com/watch?v=bad"), QString());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return code != 99; }, 5000));
    EXPECT_EQ(code, -1);
    EXPECT_EQ(failing.result(), -1);

    std::atomic<bool> release{false};
    auto late = std::make_unique<MediaOptionsWndCtrl>();
    late->setCachePath(TestEnvironment::home() + QStringLiteral("/VideoInfos-late.plist"));
    late->setSniffer([&](const QString &, const QString &) {
        release.wait(false);
        return sampleInfo(QStringLiteral("Late"));
    });
    late->startLoading(QStringLiteral("https://www.youtube.com/watch?v=late"), QString());
    late->closeWindowWithCode(0);
    late.reset();
    release = true;
    release.notify_all();
    dispatch::waitGlobal(5000);
    QCoreApplication::processEvents();
    SUCCEED();
}

// The cache holds the user's address history: by default it lives in the user's own private
// cache folder (0700, ours), never at a fixed name in the shared temporary folder.
TEST(VideoInfosCache, TheDefaultFileLivesInThePrivateCacheFolder)
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.cache");
    const QString shared = QDir::tempPath() + QStringLiteral("/VideoInfos.plist");
    const bool sharedBefore = QFileInfo::exists(shared);
    VideoInfosCache cache;
    EXPECT_EQ(cache.path(), QDir::cleanPath(base + QStringLiteral("/fennixpro/VideoInfos.plist")));
    EXPECT_TRUE(cache.storeEntry(QStringLiteral("https://private.example/watch"),
                                 MediaOptionsWndCtrl::resultFromSniff(sampleInfo(QStringLiteral("Private")))));
    EXPECT_TRUE(QFileInfo(cache.path()).isFile());
    struct stat st{};
    ASSERT_EQ(::lstat(QFile::encodeName(QFileInfo(cache.path()).absolutePath()).constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, ::getuid());
    EXPECT_EQ(QFileInfo::exists(shared), sharedBefore) << "nothing is written at the shared name";
}

TEST(VideoInfosCache, EntriesAreNeverReplacedAndBrokenFilesReadAsEmpty)
{
    const QString path = TestEnvironment::home() + QStringLiteral("/VideoInfos-cache.plist");
    VideoInfosCache cache(path);
    const QVariantMap first = MediaOptionsWndCtrl::resultFromSniff(sampleInfo(QStringLiteral("A")));
    const QVariantMap second = MediaOptionsWndCtrl::resultFromSniff(sampleInfo(QStringLiteral("B")));
    EXPECT_TRUE(cache.storeEntry(QStringLiteral("u1"), first));
    EXPECT_FALSE(cache.storeEntry(QStringLiteral("u1"), second));
    EXPECT_EQ(cache.entryForURL(QStringLiteral("u1")).value(VideoInfosCache::TitleKey).toString(), QStringLiteral("A"));
    EXPECT_TRUE(cache.entryForURL(QStringLiteral("other")).isEmpty());

    struct Broken { const char *name; QByteArray bytes; };
    const Broken broken[] = {
        {"not xml", QByteArrayLiteral("\x00\x01garbage")},
        {"array root", PropertyList::toXml(QVariantList{1, 2})},
        {"entry not a dictionary", PropertyList::toXml(QVariantMap{{"u1", QStringLiteral("x")}})},
        {"entry without media", PropertyList::toXml(QVariantMap{{"u1", QVariantMap{{"MediaURLMediaTitle", "T"}}}})},
        {"format as text", PropertyList::toXml(QVariantMap{{"u1", QVariantMap{{"MediaURLMediaTitle", "T"}, {"720", "mp4v"}}}})},
    };
    for (const Broken &b : broken) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(b.bytes);
        f.close();
        EXPECT_TRUE(cache.entryForURL(QStringLiteral("u1")).isEmpty()) << b.name;
    }
    // A malformed entry is no entry: a good result may take its place.
    EXPECT_TRUE(cache.storeEntry(QStringLiteral("u1"), first));
    EXPECT_EQ(cache.entryForURL(QStringLiteral("u1")).value(VideoInfosCache::TitleKey).toString(), QStringLiteral("A"));
}

} // namespace
