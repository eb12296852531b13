#include "controls/ImageAnimationView.h"

#include "controls/ControlSlices.h"
#include "controls/FrameAnimator.h"

#include <QLoggingCategory>
#include <QPainter>

Q_LOGGING_CATEGORY(lcImageAnimation, "controls.animation")

ImageAnimationView::ImageAnimationView(QWidget *parent) : QWidget(parent) {}

void ImageAnimationView::startAnimation()
{
    if (m_values.isEmpty())
        qCDebug(lcImageAnimation) << "startAnimation no images.";
    if (!m_animator) {
        m_animator = new FrameAnimator(this, QStringLiteral("CoverAnimaction"));
        connect(m_animator, &FrameAnimator::started, this, &ImageAnimationView::animationDidStart);
        connect(m_animator, &FrameAnimator::stopped, this, [this](bool finished) {
            m_animating = false;
            emit animationDidStop(finished);
        });
    }
    if (m_animator->isAnimating())
        return;
    m_animating = true;
    m_animator->setFrames(m_values);
    m_animator->start(m_duration > 0 ? m_duration : 1.5, m_repeatCount > 0 ? int(m_repeatCount) : 10000);
}

void ImageAnimationView::stopAnimation()
{
    m_animating = false;
    if (m_animator)
        m_animator->stop();
}

void ImageAnimationView::paintEvent(QPaintEvent *)
{
    if (!m_animator)
        return;
    const QImage frame = m_animator->currentFrame();
    if (frame.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(rect()), frame);
}
