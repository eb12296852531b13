#pragma once

#include "media/QVSubtitleStyle.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

struct mpv_handle;
class QTimer;
struct mpv_event;
class QVUltraPlayerDelegate;
class QVUltraPlayerRender;
class QWidget;

// The preview player's media player, on libmpv. One player plays one file: open(), then play,
// pause, seek and so on; stop() and close() end it. The picture is drawn into playView()
// through the render API (OpenGL when the platform has it, the software renderer otherwise,
// so it also works offscreen). The delegate is told of every change on the main thread.
class QVUltraPlayer : public QObject
{
    Q_OBJECT
public:
    using OpenHandler = std::function<void()>;

    explicit QVUltraPlayer(QObject *parent = nullptr);
    ~QVUltraPlayer() override;

    void setDelegate(QVUltraPlayerDelegate *delegate) { m_delegate = delegate; }
    QVUltraPlayerDelegate *delegate() const { return m_delegate; }

    // Opens the file paused. handle runs on the main thread once the file is loaded (duration
    // and resolution known); a file that cannot be played never runs it and is reported through
    // mediaPlayDidError instead. Place and show playView() right away: the OpenGL path loads
    // the file only once its view has a GL context (a view not shown by the time control is
    // back in the event loop gets the software path). At the end of the file the last frame
    // stays and mediaPlayDidEnd is told. program, playType and sourceType are kept for the callers'
    // sake (-1, 1, 1): one program, a local file. false when the player could not be started.
    bool open(const QString &path, int program, int playType, int sourceType, OpenHandler handle);
    QString path() const { return m_path; }

    // The window the picture belongs to; nil means playView() is placed by the caller.
    void setHostWnd(QWidget *host) { m_host = host; }
    QWidget *playView();

    double duration() const;
    QSizeF resolution() const;
    double currentTime() const;
    bool isPaused() const;
    bool isLoaded() const { return m_loaded; }

    void play();
    void pause();
    void resume();
    void seek(double seconds);
    // One frame forward or back; the player stays paused.
    void step(bool forward);
    void setVolume(int volume);  // 0..100, clamped
    int volume() const;

    // stream -1 with a file: load that subtitle file and show it; -1 with an empty path: no
    // subtitles. Other stream numbers select an embedded subtitle stream (0 = first).
    void setSubtitleStream(int stream, const QString &file);
    bool subtitleVisible() const;
    // The subtitle text on screen now; empty when none.
    QString subtitleText() const;
    QVSubtitleStyle getExternalSubtitleStyle() const { return m_subtitleStyle; }
    void setExternalSubtltleStyle(const QVSubtitleStyle &style);

    // Writes the current video frame as a PNG file. Waits (up to 5 s) while the event loop
    // runs. true when the file was written.
    bool captureImage2File(const QString &path);

    void stop();
    void close();

    // Audio output of new players ("null" in tests); empty means the system's default.
    static void setAudioOutput(const QString &ao);
    // "sw" or "gl": the picture path new players take on this platform.
    static QString renderKind();
    // The picture path this player draws through now ("sw", "gl"; empty before open()). The
    // OpenGL path that cannot make its context, or shows no picture while playing, gives way
    // to the software path by itself.
    QString currentRenderKind() const;
    // Milliseconds without a new picture while playing before the OpenGL path is given up.
    static constexpr int RenderStallMs = 1500;
    // Frames drawn into playView() so far.
    qint64 framesDrawn() const;
    // The picture on screen now, at the view's size; null when none was drawn.
    QImage currentPicture() const;

signals:
    // The picture moved to a new view (the software path took over); the old one is gone.
    void playViewChanged(QWidget *view);

private slots:
    void drainEvents();
    void watchRender();

private:
    void handleEvent(const mpv_event &event);
    void loadWhenReady();
    bool setProperty(const char *name, const QString &value);
    QString stringProperty(const char *name) const;
    void applySubtitleStyle();
    void teardown();
    void fallBackToSoftware(const QString &why);

    QVUltraPlayerDelegate *m_delegate = nullptr;
    mpv_handle *m_mpv = nullptr;
    QVUltraPlayerRender *m_render = nullptr;
    QPointer<QWidget> m_view;
    QPointer<QWidget> m_host;
    QString m_path;
    OpenHandler m_openHandler;
    QVSubtitleStyle m_subtitleStyle;
    std::atomic<bool> m_wakeupPending{false};
    bool m_loaded = false;
    bool m_started = false;
    bool m_ended = false;
    bool m_loadIssued = false;
    bool m_seeking = false;
    double m_lastProgress = -1;
    int m_volume = 100;
    quint64 m_nextReply = 1;
    quint64 m_screenshotReply = 0;
    int m_screenshotResult = 1;  // 1 pending, 0 done, <0 failed
    std::shared_ptr<std::atomic<bool>> m_alive;
    QTimer *m_renderWatch = nullptr;
    qint64 m_watchedFrames = -1;
    int m_stalledMs = 0;
    // The file is being opened again through the software path; play() waits for it.
    bool m_reloading = false;
    bool m_playWhenLoaded = false;
};
