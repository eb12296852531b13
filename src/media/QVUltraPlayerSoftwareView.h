#pragma once

#include "media/QVUltraPlayerRender.h"

#include <QImage>
#include <QWidget>

#include <atomic>

struct mpv_render_context;

// The picture drawn by mpv's software renderer into a memory image and painted with QPainter:
// slower than OpenGL, but it needs no GPU and works on the offscreen platform.
class QVUltraPlayerSoftwareView : public QWidget, public QVUltraPlayerRender
{
    Q_OBJECT
public:
    explicit QVUltraPlayerSoftwareView(QWidget *parent = nullptr);
    ~QVUltraPlayerSoftwareView() override;

    QWidget *widget() override { return this; }
    bool attach(mpv_handle *mpv) override;
    void detach() override;
    bool ready() const override { return m_ctx != nullptr; }
    void pump() override;
    QImage lastFrame() const override { return m_frame; }
    const char *kind() const override { return "sw"; }
    qint64 framesDrawn() const override { return m_frames; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private slots:
    void onUpdate();

private:
    static void updateCallback(void *ctx);
    void renderFrame();
    QSize targetSize() const;

    mpv_render_context *m_ctx = nullptr;
    QImage m_frame;
    qint64 m_frames = 0;
    bool m_hasFrame = false;
    std::atomic<bool> m_updatePending{false};
};
