// The region overlay on a private X server with a window manager, without and with a
// compositing manager: the take of a known moving picture shows that picture, never the
// overlay (without a compositor a clear window is drawn black, so the overlay cuts itself down
// to what it draws). The screen is grabbed to PNG files on the way, for a look by eye.
#include "recording/EndChildProcess.h"
#include "recording/MediaProbe.h"
#include "recording/PrivateXServer.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QPoint>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// Whether some client owns the selection on the display.
bool selectionOwned(const QString &display, const QByteArray &name)
{
    xcb_connection_t *c = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    bool owned = false;
    if (!xcb_connection_has_error(c)) {
        if (auto *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.constData()), nullptr)) {
            if (auto *owner = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr)) {
                owned = owner->owner != XCB_NONE;
                std::free(owner);
            }
            std::free(atom);
        }
    }
    xcb_disconnect(c);
    return owned;
}

bool canConnect(const QString &display)
{
    xcb_connection_t *c = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    const bool ok = !xcb_connection_has_error(c);
    xcb_disconnect(c);
    return ok;
}

// A desktop of the test's own: the X server, a plain window manager and, when asked, a
// compositing manager. ready() is false, with reason(), when a part is missing.
class PrivateDesktop
{
public:
    explicit PrivateDesktop(bool compositor)
    {
        // Under load a new server's display number is now and then still answered by one
        // going away: such a desktop is given up and another one made.
        for (int attempt = 0; attempt < 3 && !m_ready; ++attempt) {
            endChildProcess(m_compositor);
            endChildProcess(m_wm);
            m_x = std::make_unique<PrivateXServer>(QStringLiteral("640x480x24"));
            if (!m_x->isRunning()) {
                m_reason = m_x->reason();
                return;
            }
            if (!TestEnvironment::waitFor([&] { return canConnect(m_x->display()); }, 15000)) {
                m_reason = QStringLiteral("the X server %1 takes no clients").arg(m_x->display());
                continue;
            }
            m_hasWindowManager = start(m_wm, QStringLiteral("openbox"), {QStringLiteral("--sm-disable")}, "WM_S0");
            m_ready = m_hasWindowManager && (!compositor || start(m_compositor, QStringLiteral("xcompmgr"), {}, "_NET_WM_CM_S0"));
        }
        // The overlay does not depend on the window manager: a take without one still tells.
        if (!m_ready && !m_hasWindowManager && m_x && m_x->isRunning()) {
            std::printf("going on without a window manager: %s\n", qPrintable(m_reason));
            m_ready = !compositor || start(m_compositor, QStringLiteral("xcompmgr"), {}, "_NET_WM_CM_S0");
        }
    }
    ~PrivateDesktop()
    {
        endChildProcess(m_compositor);
        endChildProcess(m_wm);
    }
    bool ready() const { return m_ready; }
    QString reason() const { return m_reason; }
    QString display() const { return m_x->display(); }

private:
    bool start(QProcess &p, const QString &name, const QStringList &args, const QByteArray &selection)
    {
        const QString program = QStandardPaths::findExecutable(name);
        if (program.isEmpty()) {
            m_reason = QStringLiteral("no %1 program on PATH").arg(name);
            return false;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_x->display());
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), m_home.filePath(QStringLiteral("cache")));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        // Now and then, under load, a new server turns the first clients away for a moment:
        // a client that ended is started again until it holds its selection.
        QString said;
        bool started = false;
        const bool up = TestEnvironment::waitFor(
            [&] {
                if (p.state() == QProcess::NotRunning) {
                    if (started)
                        said = QString::fromLocal8Bit(p.readAll()).left(300);
                    started = true;
                    p.start(program, args);
                    return false;
                }
                return selectionOwned(m_x->display(), selection);
            },
            20000);
        if (up)
            return true;
        endChildProcess(p);
        m_reason = QStringLiteral("%1 did not come up on %2: %3").arg(name, m_x->display(), said);
        return false;
    }

    std::unique_ptr<PrivateXServer> m_x;
    QTemporaryDir m_home;
    QProcess m_wm;
    QProcess m_compositor;
    bool m_ready = false;
    bool m_hasWindowManager = false;
    QString m_reason;
};

struct Rgb
{
    int r, g, b;
};

// Frames of the take, ten a second, as 8-bit RGB.
QList<QByteArray> framesOf(const QString &path, int width, int height)
{
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path, QStringLiteral("-vf"),
                                       QStringLiteral("fps=10"), QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                                       QStringLiteral("rgb24"), QStringLiteral("pipe:1")});
    p.waitForFinished(60000);
    const QByteArray all = p.readAllStandardOutput();
    const qsizetype size = qsizetype(width) * height * 3;
    QList<QByteArray> frames;
    for (qsizetype at = 0; at + size <= all.size(); at += size)
        frames << all.mid(at, size);
    return frames;
}

Rgb pixel(const QByteArray &frame, int width, int x, int y)
{
    const auto *d = reinterpret_cast<const uchar *>(frame.constData()) + (qsizetype(y) * width + x) * 3;
    return {d[0], d[1], d[2]};
}

bool near(Rgb a, Rgb b) { return std::abs(a.r - b.r) <= 45 && std::abs(a.g - b.g) <= 45 && std::abs(a.b - b.b) <= 45; }

class RegionOverlayTake : public testing::TestWithParam<bool>
{
};

TEST_P(RegionOverlayTake, TheTakeShowsTheScreenInsideTheRectangleNeverTheOverlay)
{
    const bool compositor = GetParam();
    PrivateDesktop desktop(compositor);
    if (!desktop.ready())
        GTEST_SKIP() << "no private desktop: " << qPrintable(desktop.reason());
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Record"));
    QDir().mkpath(folder);

    QProcess driver;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), desktop.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("x11"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // A silent take: this is about the picture.
    env.insert(QStringLiteral("PULSE_SERVER"), dir.filePath(QStringLiteral("no-sound")));
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    driver.setProcessEnvironment(env);
    driver.start(QStringLiteral(REGION_TAKE_DRIVER),
                 {QStringLiteral(GLINTCAP_PROGRAM), folder, QStringLiteral(RECORD_SCREENS_DIR),
                  compositor ? QStringLiteral("region-take-composited") : QStringLiteral("region-take-plain")});
    ASSERT_TRUE(driver.waitForFinished(120000)) << "the take did not end";
    const QString said = QString::fromLocal8Bit(driver.readAllStandardOutput());
    const QString tool = QString::fromLocal8Bit(driver.readAllStandardError());
    std::printf("%s", qPrintable(said));
    ASSERT_EQ(driver.exitCode(), 0) << said.toStdString() << tool.toStdString();

    EXPECT_TRUE(said.contains(compositor ? QLatin1String("shaped 0") : QLatin1String("shaped 1"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QLatin1String("overlap 0"))) << said.toStdString();
    const qsizetype at = said.indexOf(QLatin1String("take "));
    ASSERT_GE(at, 0);
    const QString take = said.mid(at + 5).section(QLatin1Char('\n'), 0, 0).trimmed();

    // The file holds what the clock showed.
    const double clock = said.section(QLatin1String("clock "), 1, 1).section(QLatin1Char('\n'), 0, 0).toDouble() / 1000.0;
    const MediaProbe probe = MediaProbe::of(take);
    ASSERT_TRUE(probe.ok) << take.toStdString();
    EXPECT_NEAR(probe.seconds, clock, 0.5);

    const int w = 480, h = 272;
    const QList<QByteArray> frames = framesOf(take, w, h);
    ASSERT_GE(frames.size(), 15) << take.toStdString() << "\n"
                                 << tool.toStdString();
    // The rectangle (80, 104) on the 640×480 screen: the picture's quarters meet at (240, 136)
    // of the take, the changing square is around it. Points clear of the pointer.
    const struct
    {
        QPoint at;
        Rgb colour;
    } fixed[] = {{{40, 30}, {0, 160, 0}}, {{440, 30}, {0, 0, 200}}, {{40, 240}, {200, 200, 200}}, {{440, 240}, {0, 160, 160}}};
    int red = 0, yellow = 0;
    for (qsizetype i = 2; i < frames.size(); ++i) {
        for (const auto &f : fixed) {
            const Rgb got = pixel(frames[i], w, f.at.x(), f.at.y());
            ASSERT_TRUE(near(got, f.colour)) << "frame " << i << " at " << f.at.x() << "," << f.at.y() << ": " << got.r << " " << got.g
                                             << " " << got.b;
        }
        const Rgb square = pixel(frames[i], w, 215, 115);
        red += near(square, {220, 0, 0});
        yellow += near(square, {230, 230, 0});
    }
    EXPECT_GT(red, 0) << "the moving square never showed red";
    EXPECT_GT(yellow, 0) << "the moving square never showed yellow";
}

INSTANTIATE_TEST_SUITE_P(WithoutAndWithACompositor, RegionOverlayTake, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool> &info) { return info.param ? "Composited" : "Plain"; });

} // namespace
