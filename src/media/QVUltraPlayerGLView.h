#pragma once

#include "media/QVUltraPlayerRender.h"

#include <QOpenGLWidget>

#include <atomic>

struct mpv_render_context;

// The picture drawn by mpv's OpenGL renderer straight into the widget's framebuffer. The render
// context can only be made once the widget has its GL context, so ready() turns true after the
// widget was first shown; the player waits for it before loading the file.
class QVUltraPlayerGLView : public QOpenGLWidget, public QVUltraPlayerRender
{
    Q_OBJECT
public:
    explicit QVUltraPlayerGLView(QWidget *parent = nullptr);
    ~QVUltraPlayerGLView() override;

    QWidget *widget() override { return this; }
    bool attach(mpv_handle *mpv) override;
    void detach() override;
    bool ready() const override { return m_ctx != nullptr; }
    void pump() override;
    QImage lastFrame() const override;
    const char *kind() const override { return "gl"; }
    qint64 framesDrawn() const override { return m_frames; }

signals:
    void becameReady();
    // The widget has GL but mpv could not make its render context on it.
    void contextFailed();

protected:
    void initializeGL() override;
    void paintGL() override;

private slots:
    void onUpdate();

private:
    static void updateCallback(void *ctx);
    bool createContext();

    mpv_handle *m_mpv = nullptr;
    mpv_render_context *m_ctx = nullptr;
    qint64 m_frames = 0;
    std::atomic<bool> m_updatePending{false};
};
