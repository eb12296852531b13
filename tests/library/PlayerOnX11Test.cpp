// The preview player as users meet it: the real window and view, real libmpv with the picture
// path the application picks, on an X server of the test's own with a window manager.
//
// Each PlayerOnX11 case starts Xvfb and openbox and runs its PlayerX11Session twin in a child
// process of this program with DISPLAY pointing there (the platform plugin is chosen when the
// application object is made, so it cannot be this process). The twins skip when run alone.
#include "downloads/DownloadedItem.h"
#include "library/MTIntelligentScreenshot.h"
#include "library/MTPreviewPlayerWndCtl.h"
#include "library/PlaySliderBar.h"
#include "media/QVUltraPlayer.h"
#include "recording/EndChildProcess.h"
#include "recording/PrivateXServer.h"
#include "support/TestEnvironment.h"
#include "tools/swiftcarry/MediaFixtures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cmath>
#include <memory>

namespace {

constexpr const char *kSessionVar = "FENNIX_PLAYER_X11_SESSION";

bool inSession()
{
    return qEnvironmentVariableIsSet(kSessionVar);
}

// A small xcb client for what the window manager made of the windows.
class XView
{
public:
    explicit XView(const QString &display) { m_c = xcb_connect(display.toLatin1().constData(), nullptr); }
    ~XView()
    {
        if (m_c)
            xcb_disconnect(m_c);
    }
    bool ok() const { return m_c && !xcb_connection_has_error(m_c); }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root; }
    xcb_atom_t atom(const char *name) const
    {
        xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(r);
        return a;
    }
    QList<uint32_t> windows(xcb_window_t w, const char *property, xcb_atom_t type = XCB_ATOM_WINDOW) const
    {
        QList<uint32_t> out;
        xcb_get_property_reply_t *r =
            xcb_get_property_reply(m_c, xcb_get_property(m_c, 0, w, atom(property), type, 0, 1024), nullptr);
        if (r && r->format == 32) {
            const auto *v = static_cast<const uint32_t *>(xcb_get_property_value(r));
            out = QList<uint32_t>(v, v + xcb_get_property_value_length(r) / 4);
        }
        free(r);
        return out;
    }
    // What a pager or a click on the window asks of the window manager.
    void activate(xcb_window_t w) const
    {
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = w;
        e.type = atom("_NET_ACTIVE_WINDOW");
        e.data.data32[0] = 2; // from a pager: honoured at once
        e.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_c, 0, root(), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&e));
        xcb_flush(m_c);
    }

private:
    xcb_connection_t *m_c = nullptr;
};

// Xvfb, openbox on it, and the twin test run there.
void runTwinInSession(const QString &twin)
{
    PrivateXServer x;
    if (!x.isRunning())
        GTEST_SKIP() << "no private X server: " << qPrintable(x.reason());
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    if (openbox.isEmpty())
        GTEST_SKIP() << "no openbox window manager on PATH";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), x.display());
    QProcess wm;
    wm.setProcessEnvironment(env);
    wm.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    wm.start(openbox, {QStringLiteral("--sm-disable")});
    ASSERT_TRUE(wm.waitForStarted(10000)) << qPrintable(wm.errorString());
    XView xv(x.display());
    ASSERT_TRUE(xv.ok());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !xv.windows(xv.root(), "_NET_SUPPORTING_WM_CHECK").isEmpty(); }, 20000))
        << "openbox never took the screen";

    QProcess child;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QString::fromLatin1(kSessionVar), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=PlayerX11Session.") + twin});
    ASSERT_TRUE(child.waitForStarted(10000));
    const bool finished = child.waitForFinished(200000);
    const QString out = QString::fromLocal8Bit(child.readAll());
    endChildProcess(child);
    endChildProcess(wm);
    ASSERT_TRUE(finished) << "the session test did not end:\n"
                          << qPrintable(out);
    EXPECT_EQ(child.exitCode(), 0) << qPrintable(out);
    EXPECT_TRUE(out.contains(QStringLiteral("[  PASSED  ] 1 test"))) << qPrintable(out);
}

std::shared_ptr<DownloadedItem> itemFor(const QString &path)
{
    auto item = std::make_shared<DownloadedItem>();
    item->setFilePath(path);
    return item;
}

int secondsOf(const QString &text)
{
    const QStringList p = QString(text).remove(QLatin1Char('-')).split(QLatin1Char(':'));
    return p.size() == 3 ? p[0].toInt() * 3600 + p[1].toInt() * 60 + p[2].toInt() : -1;
}

// The window's picture as the X server shows it (OpenGL output included).
QImage onScreen(const QWidget *w, const QRect &local)
{
    const QPoint at = w->mapToGlobal(local.topLeft());
    return w->screen()->grabWindow(0, at.x(), at.y(), local.width(), local.height()).toImage();
}

// Share of pixels that are not nearly black.
double litShare(const QImage &img)
{
    if (img.isNull())
        return 0;
    const QImage rgb = img.convertToFormat(QImage::Format_RGB32);
    int lit = 0, n = 0;
    for (int y = 0; y < rgb.height(); y += 4)
        for (int x = 0; x < rgb.width(); x += 4, ++n) {
            const QRgb p = rgb.pixel(x, y);
            lit += qRed(p) + qGreen(p) + qBlue(p) > 60;
        }
    return n ? double(lit) / n : 0;
}

class PlayerX11Session : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!inSession())
            return;
        QVUltraPlayer::setAudioOutput(QStringLiteral("null"));
        s_dir = new QTemporaryDir;
        MediaFixtures::ClipSpec wanted;
        wanted.seconds = 20;
        wanted.size = QStringLiteral("640x360");
        s_a = MediaFixtures::makeClip(s_dir->path(), QStringLiteral("twenty seconds.mp4"), wanted);
        wanted.seconds = 8;
        wanted.size = QStringLiteral("480x270");
        s_b = MediaFixtures::makeClip(s_dir->path(), QStringLiteral("eight seconds.mp4"), wanted);
        s_bad = MediaFixtures::makeCorrupt(s_dir->path(), QStringLiteral("not a clip.mp4"));
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override
    {
        if (!inSession())
            GTEST_SKIP() << "runs inside a private X session (PlayerOnX11)";
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        ASSERT_FALSE(s_a.isEmpty()) << "ffmpeg could not make the clip";
        m_main.setWindowTitle(QStringLiteral("main window"));
        m_main.resize(900, 700);
        m_main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_main));
        m_wnd = std::make_unique<MTPreviewPlayerWndCtl>(&m_main);
        m_view = m_wnd->mtPreviewPlayerViewCtl();
        QObject::connect(m_view, &MTPreviewPlayerViewCtl::fileOpened,
                         [this](const QString &p) { m_opened << QFileInfo(p).fileName(); });
    }
    void TearDown() override
    {
        if (m_wnd)
            m_wnd->close();
        m_wnd.reset();
    }

    double position() const { return m_view->player() ? m_view->player()->currentTime() : -1; }
    bool playing() const { return m_view->mtPlayStatus() == MTPreviewPlayerViewCtl::Playing; }
    bool paused() const { return m_view->mtPlayStatus() == MTPreviewPlayerViewCtl::Paused; }
    // Opens the list and waits for the player's start.
    void openAndWaitForStart(const QStringList &paths, int index = 0)
    {
        MTPreviewPlayerViewCtl::ItemList items;
        for (const QString &p : paths)
            items << itemFor(p);
        QElapsedTimer t;
        t.start();
        ASSERT_TRUE(m_wnd->openMediaList(items, index));
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return playing(); }, 15000))
            << "not started; status " << m_view->mtPlayStatus() << ", message " << qPrintable(m_view->playMessageText());
        std::printf("started after %lld ms through the %s picture path\n", t.elapsed(),
                    qPrintable(m_view->player()->currentRenderKind()));
        EXPECT_LT(t.elapsed(), 10000);
    }
    // As a drag of the slider's knob to seconds does, through the slider's own delegate calls.
    void dragTo(double seconds)
    {
        PlaySliderBar *s = m_view->sliderBar();
        m_view->playSliderBarDidStartDragging(s);
        s->performDragedToValue(float(seconds));
        m_view->playSliderBarDidStopDragging(s);
    }
    void pauseAndWait()
    {
        m_view->clickPlayAndPauseMediaBtn();
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return paused(); }, 10000)) << m_view->mtPlayStatus();
    }

    static QTemporaryDir *s_dir;
    static QString s_a, s_b, s_bad;
    QWidget m_main;
    std::unique_ptr<MTPreviewPlayerWndCtl> m_wnd;
    MTPreviewPlayerViewCtl *m_view = nullptr;
    QStringList m_opened;
};
QTemporaryDir *PlayerX11Session::s_dir = nullptr;
QString PlayerX11Session::s_a, PlayerX11Session::s_b, PlayerX11Session::s_bad;

} // namespace

TEST(PlayerOnX11, PlaysPausesSeeksAndKeepsTheLastFrame) { runTwinInSession(QStringLiteral("PlaysPausesSeeksAndKeepsTheLastFrame")); }
TEST(PlayerOnX11, EndOfItemFollowsThePlayMode) { runTwinInSession(QStringLiteral("EndOfItemFollowsThePlayMode")); }
TEST(PlayerOnX11, EachFileOpensAfresh) { runTwinInSession(QStringLiteral("EachFileOpensAfresh")); }
TEST(PlayerOnX11, ButtonAndSliderClicks) { runTwinInSession(QStringLiteral("ButtonAndSliderClicks")); }
TEST(PlayerOnX11, AFileThatCannotPlayLeavesNoPlayer) { runTwinInSession(QStringLiteral("AFileThatCannotPlayLeavesNoPlayer")); }
TEST(PlayerOnX11, StaysAboveTheWindowItBlocks) { runTwinInSession(QStringLiteral("StaysAboveTheWindowItBlocks")); }

TEST_F(PlayerX11Session, PlaysPausesSeeksAndKeepsTheLastFrame)
{
    m_wnd->mtPlayItemOnce();
    ASSERT_NO_FATAL_FAILURE(openAndWaitForStart({s_a}));
    EXPECT_NEAR(m_view->duration(), 20.0, 0.1);
    EXPECT_NEAR(m_view->sliderBar()->maxValue(), 20.0, 0.1);
    EXPECT_EQ(m_view->playAndPauseButton()->toolTip(), QStringLiteral("Pause"));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return position() > 0.5; }, 10000)) << position();
    EXPECT_EQ(m_view->remainedTimeText().left(1), QStringLiteral("-"));

    // Pause: the status and button follow the player; the position holds.
    ASSERT_NO_FATAL_FAILURE(pauseAndWait());
    EXPECT_EQ(m_view->playAndPauseButton()->toolTip(), QStringLiteral("Play"));
    const double held = position();
    QElapsedTimer t;
    t.start();
    // Real time passes with the picture read back from the X server.
    const QImage whilePaused = onScreen(m_view, QRect(0, 30, m_view->width(), m_view->height() - 100));
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    EXPECT_GT(litShare(whilePaused), 0.3) << "the paused picture shows";
    EXPECT_NEAR(position(), held, 0.05) << "after " << t.elapsed() << " ms paused";
    EXPECT_TRUE(paused());

    // Resume: the position moves on.
    m_view->clickPlayAndPauseMediaBtn();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return playing(); }, 10000));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return position() > held + 0.5; }, 10000)) << position();

    // Seek to 12 s while paused: the player, the picture and the texts land there.
    ASSERT_NO_FATAL_FAILURE(pauseAndWait());
    const qint64 framesBefore = m_view->player()->framesDrawn();
    dragTo(12.0);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return std::abs(position() - 12.0) < 0.5; }, 10000)) << position();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return m_view->playedTimeText() == QStringLiteral("00:00:12"); }, 5000))
        << qPrintable(m_view->playedTimeText());
    EXPECT_EQ(m_view->remainedTimeText(), QStringLiteral("-00:00:08"));
    EXPECT_TRUE(paused()) << "a drag from paused stays paused";
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return m_view->player()->framesDrawn() > framesBefore; }, 5000))
        << "the picture follows the seek";
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    const QImage at12 = onScreen(m_wnd.get(), m_wnd->rect());
    EXPECT_GT(litShare(at12), 0.3);
    if (const QString out = qEnvironmentVariable("FENNIX_PLAYER_GRAB"); !out.isEmpty())
        at12.save(out);

    // A seek to the end or past it goes to the start.
    dragTo(m_view->sliderBar()->maxValue());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return position() < 0.5; }, 10000)) << position();
    m_view->seek(25.0);
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    EXPECT_LT(position(), 0.5);

    // Play to the end in "Play item once": stopped, the window stays, the last frame shows.
    dragTo(18.5);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return std::abs(position() - 18.5) < 0.5; }, 10000)) << position();
    m_view->clickPlayAndPauseMediaBtn();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !m_view->player(); }, 15000));
    EXPECT_EQ(m_view->mtPlayStatus(), MTPreviewPlayerViewCtl::Stopped);
    EXPECT_TRUE(m_wnd->isVisible());
    EXPECT_EQ(m_view->remainedTimeText(), QStringLiteral("00:00:00"));
    EXPECT_GE(secondsOf(m_view->playedTimeText()), 19) << qPrintable(m_view->playedTimeText());
    EXPECT_EQ(m_view->sliderBar()->value(), m_view->sliderBar()->maxValue()) << "the slider stands at its end";
    EXPECT_FALSE(m_view->lastFrame().isNull());
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    EXPECT_GT(litShare(onScreen(m_view, QRect(0, 30, m_view->width(), m_view->height() - 100))), 0.3)
        << "the last frame stays, not a black picture";
    if (QString out = qEnvironmentVariable("FENNIX_PLAYER_GRAB"); !out.isEmpty())
        onScreen(m_wnd.get(), m_wnd->rect()).save(out.replace(QStringLiteral(".png"), QStringLiteral("-end.png")));
    EXPECT_EQ(m_opened, QStringList({QStringLiteral("twenty seconds.mp4")}));
}

TEST_F(PlayerX11Session, EndOfItemFollowsThePlayMode)
{
    const struct
    {
        int mode;
        QStringList opened; // after the first item's end
        bool playsOn;
    } cases[] = {
        {0, {"twenty seconds.mp4"}, false},
        {1, {"twenty seconds.mp4", "twenty seconds.mp4"}, true},
        {2, {"twenty seconds.mp4", "eight seconds.mp4"}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        m_opened.clear();
        m_view->setPlayMode(c.mode);
        ASSERT_NO_FATAL_FAILURE(openAndWaitForStart({s_a, s_b}));
        dragTo(m_view->duration() - 1.0);
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return m_opened.size() == c.opened.size() && (c.playsOn ? playing() : !m_view->player()); },
                                             15000))
            << qPrintable(m_opened.join(", ")) << " status " << m_view->mtPlayStatus();
        EXPECT_EQ(m_opened, c.opened);
        if (c.playsOn) {
            EXPECT_EQ(m_view->titleText(), c.opened.last());
            EXPECT_LT(position(), 3.0);
        } else {
            EXPECT_EQ(m_view->mtPlayStatus(), MTPreviewPlayerViewCtl::Stopped);
            EXPECT_EQ(m_view->mediaIndex(), 0);
        }
        m_wnd->close();
        EXPECT_EQ(m_view->player(), nullptr);
    }
}

TEST_F(PlayerX11Session, EachFileOpensAfresh)
{
    ASSERT_NO_FATAL_FAILURE(openAndWaitForStart({s_a}));
    ASSERT_NO_FATAL_FAILURE(pauseAndWait());
    dragTo(12.0);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return std::abs(position() - 12.0) < 0.5; }, 10000));
    QPointer<QVUltraPlayer> first = m_view->player();
    m_wnd->close();
    EXPECT_EQ(m_view->player(), nullptr);

    // Reopened, as the library page reuses its player window: everything is the new file's.
    ASSERT_NO_FATAL_FAILURE(openAndWaitForStart({s_b}));
    EXPECT_NE(m_view->player(), first.data());
    EXPECT_EQ(m_view->titleText(), QStringLiteral("eight seconds.mp4"));
    EXPECT_NEAR(m_view->duration(), 8.0, 0.1);
    EXPECT_NEAR(m_view->sliderBar()->maxValue(), 8.0, 0.1);
    EXPECT_LT(position(), 3.0);
    EXPECT_LE(secondsOf(m_view->playedTimeText()), 3);
    EXPECT_GE(secondsOf(m_view->remainedTimeText()), 5);
    EXPECT_LE(secondsOf(m_view->remainedTimeText()), 8);
    EXPECT_TRUE(m_view->lastFrame().isNull());
    EXPECT_EQ(m_opened, QStringList({QStringLiteral("twenty seconds.mp4"), QStringLiteral("eight seconds.mp4")}));
}

TEST_F(PlayerX11Session, ButtonAndSliderClicks)
{
    ASSERT_NO_FATAL_FAILURE(openAndWaitForStart({s_a}));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_wnd.get()));
    QAbstractButton *button = m_view->playAndPauseButton();
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return paused(); }, 10000));
    EXPECT_EQ(button->toolTip(), QStringLiteral("Play"));
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return playing(); }, 10000));
    EXPECT_EQ(button->toolTip(), QStringLiteral("Pause"));
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return paused(); }, 10000));
    // Space, wherever the keyboard focus is after clicks on the controls, plays and pauses.
    QAbstractButton *modeButton = nullptr;
    for (QAbstractButton *b : m_view->findChildren<QAbstractButton *>())
        if (b->toolTip() == QStringLiteral("Play item once") || b->toolTip() == QStringLiteral("Repeat item"))
            modeButton = b;
    ASSERT_NE(modeButton, nullptr);
    const int mode = m_view->playMode();
    QTest::mouseClick(modeButton, Qt::LeftButton);
    EXPECT_NE(m_view->playMode(), mode);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return QApplication::activeWindow() == m_wnd.get(); }, 10000));
    const auto space = [&] {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : m_wnd.get(), Qt::Key_Space);
    };
    space();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return playing(); }, 10000));
    space();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return paused(); }, 10000));

    // A click on the track lands at its time.
    PlaySliderBar *slider = m_view->sliderBar();
    const double track = slider->width() - slider->sliderLeftDistance() - slider->sliderRightDistance();
    const auto xFor = [&](double seconds) { return int(std::lround(slider->sliderLeftDistance() + track * seconds / 20.0)); };
    const int y = int(slider->knobFrame().center().y());
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(xFor(12.2), y));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return std::abs(position() - 12.2) < 0.5; }, 10000)) << position();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return m_view->playedTimeText() == QStringLiteral("00:00:12"); }, 5000))
        << qPrintable(m_view->playedTimeText());
    EXPECT_EQ(m_view->remainedTimeText(), QStringLiteral("-00:00:08"));

    // A drag of the knob lands where it is let go.
    const QPoint knob = slider->knobFrame().center().toPoint();
    QTest::mousePress(slider, Qt::LeftButton, {}, knob);
    for (double s : {10.0, 7.0, 5.2})
        QTest::mouseMove(slider, QPoint(xFor(s), y));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(xFor(5.2), y));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return std::abs(position() - 5.2) < 0.5; }, 10000)) << position();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return m_view->playedTimeText() == QStringLiteral("00:00:05"); }, 5000))
        << qPrintable(m_view->playedTimeText());
    EXPECT_EQ(m_view->remainedTimeText(), QStringLiteral("-00:00:15"));
    EXPECT_TRUE(paused());
}

TEST_F(PlayerX11Session, AFileThatCannotPlayLeavesNoPlayer)
{
    ASSERT_TRUE(m_wnd->openMediaList({itemFor(s_bad)}, 0));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !m_view->playMessageText().isEmpty() && !m_view->player(); }, 15000));
    EXPECT_TRUE(m_view->playMessageText().startsWith(QStringLiteral("\"not a clip.mp4\" cannot be played: ")))
        << qPrintable(m_view->playMessageText());
    EXPECT_EQ(m_view->mtPlayStatus(), MTPreviewPlayerViewCtl::Stopped);
    EXPECT_EQ(m_view->duration(), 0);
    EXPECT_EQ(m_view->remainedTimeText(), QStringLiteral("00:00:00"));
    EXPECT_EQ(m_opened, QStringList({QStringLiteral("not a clip.mp4")}));
}

TEST_F(PlayerX11Session, StaysAboveTheWindowItBlocks)
{
    ASSERT_TRUE(m_wnd->openMediaList({itemFor(s_a)}, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_wnd.get()));
    EXPECT_TRUE(m_wnd->isModal());
    XView xv(qEnvironmentVariable("DISPLAY"));
    ASSERT_TRUE(xv.ok());
    const uint32_t player = uint32_t(m_wnd->winId()), main = uint32_t(m_main.winId());
    EXPECT_EQ(xv.windows(player, "WM_TRANSIENT_FOR"), QList<uint32_t>({main})) << "transient for the window it blocks";
    const auto above = [&] {
        const QList<uint32_t> stack = xv.windows(xv.root(), "_NET_CLIENT_LIST_STACKING");
        return stack.contains(main) && stack.indexOf(player) > stack.indexOf(main);
    };
    ASSERT_TRUE(TestEnvironment::waitFor(above, 10000));
    // The user clicks the blocked main window: the window manager raises it, and the player
    // comes with it, on top. Another window is made active first, so that the manager's
    // handling of the click shows as a change of the active window.
    QWidget other;
    other.setWindowTitle(QStringLiteral("another window"));
    other.setGeometry(1000, 800, 200, 100);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    const uint32_t marker = uint32_t(other.winId());
    const auto active = [&] {
        const QList<uint32_t> a = xv.windows(xv.root(), "_NET_ACTIVE_WINDOW");
        return a.isEmpty() ? uint32_t(XCB_WINDOW_NONE) : a.first();
    };
    for (int round = 0; round < 2; ++round) {
        xv.activate(marker);
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return active() == marker; }, 10000)) << round;
        xv.activate(main);
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return active() != marker; }, 10000)) << round;
        ASSERT_TRUE(TestEnvironment::drainPostedEvents());
        EXPECT_TRUE(TestEnvironment::waitFor(above, 2000)) << round << ": the main window covers the player";
    }
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return QApplication::activeWindow() == m_wnd.get(); }, 10000))
        << "the player takes the focus back";

    // As the main window's child it still fills the screen and comes back.
    const QRect normal = m_wnd->geometry();
    m_view->clickFullScreenBtn();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return m_wnd->geometry() == m_wnd->screen()->geometry(); }, 10000))
        << m_wnd->geometry().width() << "x" << m_wnd->geometry().height();
    m_view->clickFullScreenBtn();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return m_wnd->geometry().size() == normal.size(); }, 10000))
        << m_wnd->geometry().width() << "x" << m_wnd->geometry().height();
}
