#include "media/QVUltraPlayerSoftwareView.h"

#include <mpv/client.h>
#include <mpv/render.h>

#include <QPainter>

QVUltraPlayerSoftwareView::QVUltraPlayerSoftwareView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

QVUltraPlayerSoftwareView::~QVUltraPlayerSoftwareView()
{
    detach();
}

bool QVUltraPlayerSoftwareView::attach(mpv_handle *mpv)
{
    if (m_ctx)
        return true;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char *>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&m_ctx, mpv, params) < 0) {
        m_ctx = nullptr;
        return false;
    }
    mpv_render_context_set_update_callback(m_ctx, &QVUltraPlayerSoftwareView::updateCallback, this);
    return true;
}

void QVUltraPlayerSoftwareView::detach()
{
    if (!m_ctx)
        return;
    // After this returns no update callback runs any more.
    mpv_render_context_set_update_callback(m_ctx, nullptr, nullptr);
    mpv_render_context_free(m_ctx);
    m_ctx = nullptr;
}

void QVUltraPlayerSoftwareView::updateCallback(void *ctx)
{
    auto *self = static_cast<QVUltraPlayerSoftwareView *>(ctx);
    if (!self->m_updatePending.exchange(true))
        QMetaObject::invokeMethod(self, "onUpdate", Qt::QueuedConnection);
}

void QVUltraPlayerSoftwareView::pump()
{
    onUpdate();
}

void QVUltraPlayerSoftwareView::onUpdate()
{
    m_updatePending = false;
    if (!m_ctx)
        return;
    // The update call also runs work the core queued for the render thread (this one).
    if (mpv_render_context_update(m_ctx) & MPV_RENDER_UPDATE_FRAME)
        renderFrame();
}

QSize QVUltraPlayerSoftwareView::targetSize() const
{
    // The core waits for each frame to be rendered, so a hidden or empty view still renders
    // into a small image and playback keeps its pace.
    const qreal dpr = devicePixelRatioF();
    QSize s(qRound(width() * dpr), qRound(height() * dpr));
    if (s.width() < 16 || s.height() < 16)
        s = QSize(16, 16);
    return s;
}

void QVUltraPlayerSoftwareView::renderFrame()
{
    if (!m_ctx)
        return;
    const QSize s = targetSize();
    if (m_frame.size() != s)
        m_frame = QImage(s, QImage::Format_RGBX8888);
    int size[2] = {s.width(), s.height()};
    size_t stride = size_t(m_frame.bytesPerLine());
    char format[] = "rgb0";
    int noBlock = 0;  // this is the GUI thread: never sleep until the frame's display time
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &noBlock},
        {MPV_RENDER_PARAM_SW_SIZE, size},
        {MPV_RENDER_PARAM_SW_FORMAT, format},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, m_frame.bits()},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_render(m_ctx, params) >= 0) {
        m_frame.setDevicePixelRatio(devicePixelRatioF());
        m_hasFrame = true;
        ++m_frames;
        update();
    }
}

void QVUltraPlayerSoftwareView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_hasFrame && m_frame.size() == targetSize())
        p.drawImage(rect(), m_frame);
    else
        p.fillRect(rect(), Qt::black);
}

void QVUltraPlayerSoftwareView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Render the current frame again at the new size.
    if (m_ctx && m_hasFrame)
        renderFrame();
}
