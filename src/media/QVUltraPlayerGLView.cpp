#include "media/QVUltraPlayerGLView.h"

#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>

#include <QOpenGLContext>

namespace {
void *procAddress(void *, const char *name)
{
    QOpenGLContext *gl = QOpenGLContext::currentContext();
    return gl ? reinterpret_cast<void *>(gl->getProcAddress(QByteArray(name))) : nullptr;
}
} // namespace

QVUltraPlayerGLView::QVUltraPlayerGLView(QWidget *parent)
    : QOpenGLWidget(parent)
{
}

QVUltraPlayerGLView::~QVUltraPlayerGLView()
{
    detach();
}

bool QVUltraPlayerGLView::attach(mpv_handle *mpv)
{
    m_mpv = mpv;
    if (context() && context()->isValid())
        return createContext();
    return true;  // made in initializeGL()
}

bool QVUltraPlayerGLView::createContext()
{
    if (m_ctx || !m_mpv)
        return m_ctx != nullptr;
    makeCurrent();
    mpv_opengl_init_params gl{&procAddress, nullptr};
    // No advanced control: with it the core may wait for this (the main) thread to serve the
    // render context, and the player's own property calls from this thread would then never
    // return.
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char *>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    const bool ok = mpv_render_context_create(&m_ctx, m_mpv, params) >= 0;
    doneCurrent();
    if (!ok) {
        m_ctx = nullptr;
        emit contextFailed();
        return false;
    }
    mpv_render_context_set_update_callback(m_ctx, &QVUltraPlayerGLView::updateCallback, this);
    emit becameReady();
    return true;
}

void QVUltraPlayerGLView::detach()
{
    if (m_ctx) {
        makeCurrent();
        mpv_render_context_set_update_callback(m_ctx, nullptr, nullptr);
        mpv_render_context_free(m_ctx);
        doneCurrent();
        m_ctx = nullptr;
    }
    m_mpv = nullptr;
}

void QVUltraPlayerGLView::initializeGL()
{
    if (!context() || !context()->isValid()) {
        emit contextFailed();
        return;
    }
    createContext();
}

void QVUltraPlayerGLView::updateCallback(void *ctx)
{
    auto *self = static_cast<QVUltraPlayerGLView *>(ctx);
    if (!self->m_updatePending.exchange(true))
        QMetaObject::invokeMethod(self, "onUpdate", Qt::QueuedConnection);
}

void QVUltraPlayerGLView::pump()
{
    onUpdate();
}

void QVUltraPlayerGLView::onUpdate()
{
    m_updatePending = false;
    if (!m_ctx)
        return;
    makeCurrent();
    const uint64_t flags = mpv_render_context_update(m_ctx);
    doneCurrent();
    if (flags & MPV_RENDER_UPDATE_FRAME)
        update();
}

void QVUltraPlayerGLView::paintGL()
{
    if (!m_ctx)
        return;
    const qreal dpr = devicePixelRatioF();
    mpv_opengl_fbo fbo{int(defaultFramebufferObject()), int(width() * dpr), int(height() * dpr), 0};
    int flip = 1;
    int noBlock = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flip},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &noBlock},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_render(m_ctx, params) >= 0)
        ++m_frames;
}

QImage QVUltraPlayerGLView::lastFrame() const
{
    return const_cast<QVUltraPlayerGLView *>(this)->grabFramebuffer();
}
