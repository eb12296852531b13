#include "controls/MGAnimationButton.h"

#include "controls/ControlSlices.h"

#include <QEasingCurve>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

MGAnimationButton::MGAnimationButton(QWidget *parent) : MGHoverButton(parent)
{
    m_loop = new QVariantAnimation(this);
    m_loop->setLoopCount(-1);
    connect(m_loop, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
        m_time = v.toDouble();
        update();
    });
}

MGAnimationButton::~MGAnimationButton() = default;

double MGAnimationButton::rotationAt(double t, double duration)
{
    return duration > 0 ? 2 * M_PI * std::fmod(t, duration) / duration : 0;
}

double MGAnimationButton::breathingOpacityAt(double t, double duration)
{
    const double half = duration * 0.5;
    const QEasingCurve ease(QEasingCurve::InOutQuad);
    if (t < half)
        return half > 0 ? ease.valueForProgress(t / half) : 1;
    // The fade-out lasts a full second, so the loop's end cuts it when the duration is short.
    return 1 - ease.valueForProgress(std::min(1.0, t - half));
}

void MGAnimationButton::startAnimation()
{
    m_layerShown = true;
    if (m_isAnimating) {
        if (m_loop->state() != QAbstractAnimation::Running)
            m_loop->start();
        update();
        return;
    }
    m_loop->stop();
    const int ms = std::max(1, int(m_duration * 1000));
    m_loop->setStartValue(0.0);
    m_loop->setEndValue(m_duration);
    m_loop->setDuration(ms);
    m_loop->start();
    m_isAnimating = true;
    update();
}

void MGAnimationButton::stopAnimation()
{
    m_loop->stop();
    m_layerShown = false;
    m_isAnimating = false;
    update();
}

void MGAnimationButton::paintEvent(QPaintEvent *e)
{
    MGHoverButton::paintEvent(e);
    if (!m_isAnimating || !m_layerShown)
        return;
    const QImage &img = m_type == 1 ? m_imgCircle : m_imgBreathing;
    if ((m_type != 1 && m_type != 2) || img.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF b(rect());
    if (m_type == 1) {
        p.translate(b.center());
        p.rotate(rotationAt(m_time, m_duration) * 180 / M_PI);
        p.translate(-b.center());
    } else {
        p.setOpacity(breathingOpacityAt(m_time, m_duration));
    }
    p.drawImage(b, img);
}

void MGAnimationButton::enterEvent(QEnterEvent *e)
{
    if (m_stopOnMouse && m_isAnimating)
        m_layerShown = false;
    MGHoverButton::enterEvent(e);
}

void MGAnimationButton::leaveEvent(QEvent *e)
{
    if (m_stopOnMouse && m_isAnimating)
        m_layerShown = true;
    MGHoverButton::leaveEvent(e);
}

void MGAnimationButton::mousePressEvent(QMouseEvent *e)
{
    if (m_stopOnMouse && m_isAnimating)
        m_layerShown = false;
    MGHoverButton::mousePressEvent(e);
}

void MGAnimationButton::mouseReleaseEvent(QMouseEvent *e)
{
    if (m_stopOnMouse && m_isAnimating)
        m_layerShown = true;
    MGHoverButton::mouseReleaseEvent(e);
}
