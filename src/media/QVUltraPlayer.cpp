#include "media/QVUltraPlayer.h"

#include "platform/log/ScribletLogger.h"
#include "media/QVUltraPlayerDelegate.h"
#include "media/QVUltraPlayerSoftwareView.h"
#ifdef FENNIX_VEXLUME_PLAYER_GL
#include "media/QVUltraPlayerGLView.h"
#include <QOffscreenSurface>
#include <QOpenGLContext>
#endif

#include <mpv/client.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QPointer>
#include <QWidget>
#include <QTimer>

#include <clocale>
#include <cmath>

namespace {
QString g_audioOutput;

enum ObservedProperty : quint64 {
    PropPause = 1,
    PropTimePos = 2,
    PropEofReached = 3,
};
} // namespace

QString QVSubtitleStyle::colorOption(int rgb, int alpha)
{
    if (rgb == 1)
        rgb = 0;  // the subtitle window keeps black as 1
    rgb &= 0xFFFFFF;
    return QStringLiteral("#%1%2").arg(alpha & 0xFF, 2, 16, QLatin1Char('0')).arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
}

QVUltraPlayer::QVUltraPlayer(QObject *parent)
    : QObject(parent)
    , m_alive(std::make_shared<std::atomic<bool>>(true))
{
}

QVUltraPlayer::~QVUltraPlayer()
{
    *m_alive = false;
    teardown();
}

void QVUltraPlayer::setAudioOutput(const QString &ao)
{
    g_audioOutput = ao;
}

QString QVUltraPlayer::renderKind()
{
    const QByteArray forced = qgetenv("FENNIX_PLAYER_RENDER");
    if (forced == "sw" || forced == "gl")
        return QString::fromLatin1(forced);
#ifdef FENNIX_VEXLUME_PLAYER_GL
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal") ||
        platform == QLatin1String("vnc"))
        return QStringLiteral("sw");
    static const bool glWorks = [] {
        QOpenGLContext ctx;
        if (!ctx.create())
            return false;
        QOffscreenSurface surface;
        surface.setFormat(ctx.format());
        surface.create();
        return ctx.makeCurrent(&surface);
    }();
    return glWorks ? QStringLiteral("gl") : QStringLiteral("sw");
#else
    return QStringLiteral("sw");
#endif
}

bool QVUltraPlayer::open(const QString &path, int program, int playType, int sourceType, OpenHandler handle)
{
    teardown();
    m_path = path;
    m_openHandler = std::move(handle);
    m_loaded = m_started = m_ended = m_loadIssued = m_seeking = false;
    m_lastProgress = -1;
    if (path.isEmpty())
        return false;

    // libmpv parses numbers with the C locale; Qt may have changed LC_NUMERIC.
    std::setlocale(LC_NUMERIC, "C");
    m_mpv = mpv_create();
    if (!m_mpv) {
        ScribletLogError(QStringLiteral("player: mpv_create failed"));
        return false;
    }
    const QString ao = !g_audioOutput.isEmpty() ? g_audioOutput : QString::fromLocal8Bit(qgetenv("FENNIX_PLAYER_AO"));
    const std::pair<const char *, QString> options[] = {
        {"config", QStringLiteral("no")},
        {"terminal", QStringLiteral("no")},
        {"msg-level", QStringLiteral("all=error")},
        {"load-scripts", QStringLiteral("no")},
        {"ytdl", QStringLiteral("no")},
        {"osc", QStringLiteral("no")},
        {"osd-level", QStringLiteral("0")},
        {"input-default-bindings", QStringLiteral("no")},
        {"input-vo-keyboard", QStringLiteral("no")},
        {"vo", QStringLiteral("libmpv")},
        {"hwdec", QStringLiteral("no")},
        {"pause", QStringLiteral("yes")},
        {"idle", QStringLiteral("yes")},
        // The last frame stays on screen at the end instead of a black picture; the end is
        // told by "eof-reached".
        {"keep-open", QStringLiteral("yes")},
        {"sub-auto", QStringLiteral("no")},
        {"audio-display", QStringLiteral("no")},
        {"screenshot-format", QStringLiteral("png")},
    };
    for (const auto &[name, value] : options)
        mpv_set_option_string(m_mpv, name, value.toUtf8().constData());
    if (!ao.isEmpty())
        mpv_set_option_string(m_mpv, "ao", ao.toUtf8().constData());
    if (mpv_initialize(m_mpv) < 0) {
        ScribletLogError(QStringLiteral("player: mpv_initialize failed"));
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
        return false;
    }
    mpv_observe_property(m_mpv, PropPause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, PropTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, PropEofReached, "eof-reached", MPV_FORMAT_FLAG);
    mpv_set_wakeup_callback(
        m_mpv,
        [](void *ctx) {
            auto *self = static_cast<QVUltraPlayer *>(ctx);
            if (!self->m_wakeupPending.exchange(true))
                QMetaObject::invokeMethod(self, "drainEvents", Qt::QueuedConnection);
        },
        this);

#ifdef FENNIX_VEXLUME_PLAYER_GL
    if (renderKind() == QLatin1String("gl")) {
        auto *gl = new QVUltraPlayerGLView;
        m_render = gl;
        // The GL context exists only once the view is shown, and a file loaded before it fails
        // in the video output (which ends the file with an error): the file is loaded when the
        // picture side is ready. A view that is not shown once control is back in the event
        // loop will not be soon: the software path takes it then.
        connect(gl, &QVUltraPlayerGLView::becameReady, this, [this] {
            if (m_mpv && m_loaded) {
                mpv_set_property_string(m_mpv, "vid", "no");
                mpv_set_property_string(m_mpv, "vid", "auto");
            }
            loadWhenReady();
        });
        QTimer::singleShot(0, this, [this] {
            if (m_mpv && !m_loadIssued && m_view && !m_view->isVisible())
                fallBackToSoftware(QStringLiteral("the picture is not shown"));
        });
        connect(gl, &QVUltraPlayerGLView::contextFailed, this, [this] {
            // Not inside the view's own GL set-up: the view is replaced here.
            QTimer::singleShot(0, this, [this] { fallBackToSoftware(QStringLiteral("the OpenGL render context could not be made")); });
        });
        // Software GL, remote desktops and virtual machines may give a context that never
        // shows a picture: the software path takes over when playing shows none.
        m_renderWatch = new QTimer(this);
        m_renderWatch->setInterval(RenderStallMs / 3);
        connect(m_renderWatch, &QTimer::timeout, this, &QVUltraPlayer::watchRender);
        m_watchedFrames = -1;
        m_stalledMs = 0;
        m_renderWatch->start();
    }
#endif
    if (!m_render)
        m_render = new QVUltraPlayerSoftwareView;
    m_view = m_render->widget();
    m_view->setAttribute(Qt::WA_DeleteOnClose, false);
    if (!m_render->attach(m_mpv)) {
        ScribletLogError(QStringLiteral("player: the %1 render context could not be made").arg(m_render->kind()));
        teardown();
        return false;
    }
    if (m_render->ready())
        loadWhenReady();
    Q_UNUSED(program);
    Q_UNUSED(playType);
    Q_UNUSED(sourceType);
    return true;
}

void QVUltraPlayer::loadWhenReady()
{
    if (!m_mpv || m_loadIssued || !m_render || !m_render->ready())
        return;
    m_loadIssued = true;
    const QByteArray file = m_path.toUtf8();
    const char *args[] = {"loadfile", file.constData(), "replace", nullptr};
    mpv_command_async(m_mpv, 0, args);
}

QWidget *QVUltraPlayer::playView()
{
    return m_view;
}

void QVUltraPlayer::drainEvents()
{
    m_wakeupPending = false;
    const auto alive = m_alive;
    while (*alive && m_mpv) {
        mpv_event *event = mpv_wait_event(m_mpv, 0);
        if (!event || event->event_id == MPV_EVENT_NONE)
            break;
        const mpv_event copy = *event;
        handleEvent(copy);
    }
}

void QVUltraPlayer::handleEvent(const mpv_event &event)
{
    const auto alive = m_alive;
    switch (event.event_id) {
    case MPV_EVENT_FILE_LOADED: {
        m_loaded = true;
        mpv_set_property_string(m_mpv, "volume", QByteArray::number(m_volume).constData());
        bool announcePlaying = false;
        if (m_reloading) {
            m_reloading = false;
            if (m_playWhenLoaded)
                mpv_set_property_string(m_mpv, "pause", "no");
            m_playWhenLoaded = false;
            // Changes of "pause" while the file was reloading were not told, and the core
            // keeps its pause state across files: no change may come to tell it now.
            announcePlaying = !isPaused() && !m_started;
        }
        if (m_delegate)
            m_delegate->mediaInfoDidLoaded();
        if (*alive && m_openHandler) {
            OpenHandler handler = std::move(m_openHandler);
            m_openHandler = nullptr;
            handler();
        }
        if (*alive && announcePlaying && !m_started) {
            m_started = true;
            if (m_delegate)
                m_delegate->mediaPlayDidStarted();
        }
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto *prop = static_cast<mpv_event_property *>(event.data);
        if (!prop || !m_loaded || !prop->data)
            break;
        if (event.reply_userdata == PropPause && prop->format == MPV_FORMAT_FLAG) {
            const bool paused = *static_cast<int *>(prop->data) != 0;
            if (!paused && !m_started) {
                m_started = true;
                if (m_delegate)
                    m_delegate->mediaPlayDidStarted();
            } else if (!paused) {
                if (m_delegate)
                    m_delegate->mediaPlayDidResume();
            } else if (m_started && !m_ended) {
                if (m_delegate)
                    m_delegate->mediaPlayDidPause();
            }
        } else if (event.reply_userdata == PropEofReached && prop->format == MPV_FORMAT_FLAG) {
            // Told before the core pauses on the last frame, so that pause is not told.
            if (*static_cast<int *>(prop->data) != 0 && !m_ended) {
                m_ended = true;
                if (m_delegate)
                    m_delegate->mediaPlayDidEnd();
            }
        } else if (event.reply_userdata == PropTimePos && prop->format == MPV_FORMAT_DOUBLE) {
            const double pos = *static_cast<double *>(prop->data);
            if (pos != m_lastProgress) {
                m_lastProgress = pos;
                if (m_delegate)
                    m_delegate->mediaPlayDidProgress(pos);
            }
        }
        break;
    }
    case MPV_EVENT_PLAYBACK_RESTART:
        if (m_seeking) {
            m_seeking = false;
            if (m_delegate)
                m_delegate->mediaPlayDidFinishSeek(currentTime());
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto *end = static_cast<mpv_event_end_file *>(event.data);
        if (!end)
            break;
        if (end->reason == MPV_END_FILE_REASON_EOF && m_loaded) {
            if (m_ended)
                break;
            m_ended = true;
            if (m_delegate)
                m_delegate->mediaPlayDidEnd();
        } else if (end->reason == MPV_END_FILE_REASON_ERROR && m_render && m_view &&
                   QLatin1String(m_render->kind()) == QLatin1String("gl")) {
            // The OpenGL output could not take the picture (no context in time, software GL
            // that cannot draw): the same file again through the software path.
            fallBackToSoftware(QStringLiteral("the OpenGL output failed: %1").arg(QString::fromUtf8(mpv_error_string(end->error))));
            if (m_render && QLatin1String(m_render->kind()) == QLatin1String("sw")) {
                m_playWhenLoaded = !isPaused();
                m_reloading = true;
                m_loaded = m_ended = m_loadIssued = m_seeking = false;
                loadWhenReady();
            }
        } else if (end->reason == MPV_END_FILE_REASON_ERROR ||
                   (end->reason == MPV_END_FILE_REASON_EOF && !m_loaded)) {
            // A file that never loaded cannot have ended: it failed.
            m_ended = true;
            m_openHandler = nullptr;
            const QString why = end->reason == MPV_END_FILE_REASON_ERROR
                                    ? QString::fromUtf8(mpv_error_string(end->error))
                                    : QStringLiteral("nothing playable in the file");
            ScribletLogError(QStringLiteral("player: cannot play %1: %2").arg(m_path, why));
            if (m_delegate)
                m_delegate->mediaPlayDidError(why);
        } else if (end->reason == MPV_END_FILE_REASON_STOP && m_loaded) {
            if (m_delegate)
                m_delegate->mediaPlayDidStoped();
        }
        break;
    }
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata && event.reply_userdata == m_screenshotReply)
            m_screenshotResult = event.error < 0 ? event.error : 0;
        break;
    default:
        break;
    }
}

bool QVUltraPlayer::setProperty(const char *name, const QString &value)
{
    return m_mpv && mpv_set_property_string(m_mpv, name, value.toUtf8().constData()) >= 0;
}

QString QVUltraPlayer::stringProperty(const char *name) const
{
    if (!m_mpv)
        return {};
    char *text = mpv_get_property_string(m_mpv, name);
    if (!text)
        return {};
    const QString result = QString::fromUtf8(text);
    mpv_free(text);
    return result;
}

double QVUltraPlayer::duration() const
{
    double d = 0;
    if (m_mpv && mpv_get_property(m_mpv, "duration", MPV_FORMAT_DOUBLE, &d) >= 0 && std::isfinite(d) && d > 0)
        return d;
    return 0;
}

QSizeF QVUltraPlayer::resolution() const
{
    int64_t w = 0, h = 0;
    if (!m_mpv)
        return {};
    // The display size (aspect applied) once the decoder runs, else what the file declares.
    if (mpv_get_property(m_mpv, "dwidth", MPV_FORMAT_INT64, &w) < 0 ||
        mpv_get_property(m_mpv, "dheight", MPV_FORMAT_INT64, &h) < 0 || w <= 0 || h <= 0) {
        w = h = 0;
        mpv_get_property(m_mpv, "current-tracks/video/demux-w", MPV_FORMAT_INT64, &w);
        mpv_get_property(m_mpv, "current-tracks/video/demux-h", MPV_FORMAT_INT64, &h);
    }
    return QSizeF(double(w), double(h));
}

double QVUltraPlayer::currentTime() const
{
    double t = 0;
    if (m_mpv && mpv_get_property(m_mpv, "time-pos", MPV_FORMAT_DOUBLE, &t) >= 0 && std::isfinite(t))
        return t;
    return 0;
}

bool QVUltraPlayer::isPaused() const
{
    int paused = 1;
    if (m_mpv)
        mpv_get_property(m_mpv, "pause", MPV_FORMAT_FLAG, &paused);
    return paused != 0;
}

void QVUltraPlayer::play()
{
    if (m_mpv && m_reloading)
        m_playWhenLoaded = true;
    if (m_mpv && m_loaded && !m_ended)
        mpv_set_property_string(m_mpv, "pause", "no");
}

void QVUltraPlayer::pause()
{
    if (m_mpv && m_loaded && !m_ended)
        mpv_set_property_string(m_mpv, "pause", "yes");
}

void QVUltraPlayer::resume()
{
    play();
}

void QVUltraPlayer::seek(double seconds)
{
    if (!m_mpv || !m_loaded || m_ended || !std::isfinite(seconds))
        return;
    if (seconds < 0)
        seconds = 0;
    m_seeking = true;
    const QByteArray target = QByteArray::number(seconds, 'f', 3);
    const char *args[] = {"seek", target.constData(), "absolute+exact", nullptr};
    mpv_command_async(m_mpv, 0, args);
}

void QVUltraPlayer::step(bool forward)
{
    if (!m_mpv || !m_loaded || m_ended)
        return;
    const char *args[] = {forward ? "frame-step" : "frame-back-step", nullptr};
    mpv_command_async(m_mpv, 0, args);
}

void QVUltraPlayer::setVolume(int volume)
{
    m_volume = qBound(0, volume, 100);
    if (m_mpv && m_loaded)
        mpv_set_property_string(m_mpv, "volume", QByteArray::number(m_volume).constData());
}

int QVUltraPlayer::volume() const
{
    return m_volume;
}

void QVUltraPlayer::setSubtitleStream(int stream, const QString &file)
{
    if (!m_mpv)
        return;
    if (stream >= 0) {
        setProperty("sid", QString::number(stream + 1));
        setProperty("sub-visibility", QStringLiteral("yes"));
        return;
    }
    if (file.isEmpty()) {
        setProperty("sid", QStringLiteral("no"));
        return;
    }
    const QByteArray path = file.toUtf8();
    const char *args[] = {"sub-add", path.constData(), "select", nullptr};
    if (mpv_command(m_mpv, args) < 0) {
        ScribletLogError(QStringLiteral("player: cannot load subtitle %1").arg(file));
        return;
    }
    setProperty("sub-visibility", QStringLiteral("yes"));
    applySubtitleStyle();
    if (m_delegate)
        m_delegate->mediaPlayDidLoadSubtitle();
}

bool QVUltraPlayer::subtitleVisible() const
{
    const QString sid = stringProperty("sid");
    return !sid.isEmpty() && sid != QLatin1String("no") && stringProperty("sub-visibility") == QLatin1String("yes");
}

QString QVUltraPlayer::subtitleText() const
{
    if (!subtitleVisible())
        return {};
    return stringProperty("sub-text");
}

void QVUltraPlayer::setExternalSubtltleStyle(const QVSubtitleStyle &style)
{
    m_subtitleStyle = style;
    applySubtitleStyle();
}

void QVUltraPlayer::applySubtitleStyle()
{
    if (!m_mpv)
        return;
    // The style belongs to files loaded from outside, whose own styling is plain text.
    if (!m_subtitleStyle.fontName().isEmpty())
        setProperty("sub-font", m_subtitleStyle.fontName());
    if (m_subtitleStyle.fontSize() > 0)
        setProperty("sub-font-size", QString::number(m_subtitleStyle.fontSize()));
    setProperty("sub-color", QVSubtitleStyle::colorOption(m_subtitleStyle.textColor()));
    if (m_subtitleStyle.hasBackColor())
        setProperty("sub-back-color", QVSubtitleStyle::colorOption(m_subtitleStyle.backColor(), 0xC0));
    else
        setProperty("sub-back-color", QStringLiteral("#00000000"));
}

bool QVUltraPlayer::captureImage2File(const QString &path)
{
    if (!m_mpv || !m_loaded || path.isEmpty())
        return false;
    const auto alive = m_alive;
    const QByteArray file = path.toUtf8();
    const char *args[] = {"screenshot-to-file", file.constData(), "video", nullptr};
    m_screenshotReply = m_nextReply++ + 1000;
    m_screenshotResult = 1;
    // The core may need the render side (this thread) while it takes the picture, so the
    // command runs asynchronously and the event loop keeps turning until the reply.
    if (mpv_command_async(m_mpv, m_screenshotReply, args) < 0)
        return false;
    QEventLoop loop;
    QTimer poll;
    QTimer giveUp;
    giveUp.setSingleShot(true);
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!*alive || m_screenshotResult != 1) {
            loop.quit();
            return;
        }
        if (m_view)
            m_render->pump();
        drainEvents();
    });
    connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(5);
    giveUp.start(5000);
    loop.exec();
    if (!*alive)
        return false;
    const bool ok = m_screenshotResult == 0 && QFileInfo(path).size() > 0;
    m_screenshotReply = 0;
    if (ok)
        return true;
    // Fall back on the picture on screen.
    const QString why = QStringLiteral("player: screenshot of %1 failed (%2); saving the picture on screen")
                            .arg(m_path)
                            .arg(m_screenshotResult);
    ScribletLogError(why);
    qWarning("%s", qPrintable(why));
    if (m_view) {
        const QImage frame = m_render->lastFrame();
        if (!frame.isNull())
            return frame.save(path, "PNG");
    }
    return false;
}

QImage QVUltraPlayer::currentPicture() const
{
    return m_view && m_render ? m_render->lastFrame() : QImage();
}

qint64 QVUltraPlayer::framesDrawn() const
{
    return m_view ? m_render->framesDrawn() : 0;
}

void QVUltraPlayer::stop()
{
    if (!m_mpv)
        return;
    const char *args[] = {"stop", nullptr};
    mpv_command_async(m_mpv, 0, args);
}

void QVUltraPlayer::close()
{
    teardown();
}

QString QVUltraPlayer::currentRenderKind() const
{
    return m_view && m_render ? QString::fromLatin1(m_render->kind()) : QString();
}

void QVUltraPlayer::watchRender()
{
    if (!m_mpv || !m_view || !m_render || QLatin1String(m_render->kind()) != QLatin1String("gl"))
        return;
    if (!m_loadIssued) {
        // Shown, but no GL context came (a window never exposed, a driver that hangs).
        m_stalledMs += m_renderWatch ? m_renderWatch->interval() : RenderStallMs;
        if (m_stalledMs >= 2 * RenderStallMs)
            fallBackToSoftware(QStringLiteral("no OpenGL context after %1 ms").arg(m_stalledMs));
        return;
    }
    if (!m_loaded || m_ended)
        return;
    const qint64 frames = m_render->framesDrawn();
    // Only playing video counts: paused, audio-only or seeking shows no new pictures anyway.
    // The file's own video tracks: a video output that failed for want of a picture path
    // deselects the track, which must not pass for an audio-only file.
    bool hasVideo = false;
    int64_t tracks = 0;
    mpv_get_property(m_mpv, "track-list/count", MPV_FORMAT_INT64, &tracks);
    for (int64_t i = 0; i < tracks && !hasVideo; ++i) {
        const QByteArray base = "track-list/" + QByteArray::number(qint64(i));
        hasVideo = stringProperty((base + "/type").constData()) == QLatin1String("video") &&
                   stringProperty((base + "/albumart").constData()) != QLatin1String("yes");
    }
    if (isPaused() || !hasVideo || m_seeking || frames != m_watchedFrames) {
        m_watchedFrames = frames;
        m_stalledMs = 0;
        return;
    }
    m_stalledMs += m_renderWatch ? m_renderWatch->interval() : RenderStallMs;
    if (m_stalledMs >= RenderStallMs)
        fallBackToSoftware(QStringLiteral("no picture from the OpenGL path for %1 ms").arg(m_stalledMs));
}

void QVUltraPlayer::fallBackToSoftware(const QString &why)
{
    if (!m_mpv || !m_view || !m_render || QLatin1String(m_render->kind()) == QLatin1String("sw"))
        return;
    ScribletLogInfo(QStringLiteral("player: %1; drawing in software").arg(why));
    if (m_renderWatch)
        m_renderWatch->stop();
    QPointer<QWidget> old = m_view;
    // The video output lets go of the render context before it is freed.
    mpv_set_property_string(m_mpv, "vid", "no");
    m_render->detach();
    auto *sw = new QVUltraPlayerSoftwareView;
    if (!sw->attach(m_mpv)) {
        delete sw;
        ScribletLogError(QStringLiteral("player: the software render context could not be made either"));
        m_render = nullptr;
        m_view = nullptr;
        delete old.data();
        m_ended = true;
        if (m_delegate)
            m_delegate->mediaPlayDidError(QStringLiteral("no way to show the picture on this display"));
        return;
    }
    m_render = sw;
    m_view = sw;
    sw->setAttribute(Qt::WA_DeleteOnClose, false);
    if (old) {
        // The new view takes the old one's place, size and stacking.
        if (QWidget *parent = old->parentWidget()) {
            sw->setParent(parent);
            if (parent->layout())
                parent->layout()->replaceWidget(old, sw);
            sw->setGeometry(old->geometry());
            sw->stackUnder(old);
            if (old->isVisible())
                sw->show();
        }
        old->hide();
        old->deleteLater();
    }
    mpv_set_property_string(m_mpv, "vid", "auto");
    emit playViewChanged(sw);
    loadWhenReady();
}

void QVUltraPlayer::teardown()
{
    m_openHandler = nullptr;
    if (m_renderWatch) {
        m_renderWatch->stop();
        m_renderWatch->deleteLater();
        m_renderWatch = nullptr;
    }
    if (m_mpv)
        mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    // The view may already be gone with the window it was placed in; it freed its context then.
    if (m_view) {
        m_render->detach();
        delete m_view.data();
    }
    m_render = nullptr;
    m_view = nullptr;
    if (m_mpv)
        mpv_terminate_destroy(m_mpv);
    m_mpv = nullptr;
    m_loaded = false;
}
