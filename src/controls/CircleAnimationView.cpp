#include "controls/CircleAnimationView.h"

#include "controls/ControlLog.h"
#include "controls/PopoverGeometry.h"

#include <QPainter>
#include <QVariantAnimation>

CircleAnimationView::CircleAnimationView(QWidget *parent) : QWidget(parent)
{
    m_rotate = new QVariantAnimation(this);
    m_rotate->setStartValue(0.0);
    m_rotate->setEndValue(1.0);
    m_rotate->setDuration(3000);
    m_rotate->setLoopCount(-1);
    connect(m_rotate, &QVariantAnimation::valueChanged, this, [this] { update(); });
}

double CircleAnimationView::angle() const
{
    return m_rotate->state() == QAbstractAnimation::Stopped
               ? 0
               : PopoverGeometry::circleAnimationAngle(m_rotate->currentLoopTime() / 1000.0);
}

bool CircleAnimationView::isAnimating() const
{
    return m_rotate->state() == QAbstractAnimation::Running;
}

void CircleAnimationView::startAnimating()
{
    show();
    m_circleShown = true;
    if (!isAnimating()) {
        ControlLog::info(QStringLiteral("animationDidStart"));
        m_rotate->start();
    }
    update();
}

void CircleAnimationView::stopAnimating()
{
    if (isAnimating()) {
        m_rotate->stop();
        ControlLog::info(QStringLiteral("animationDidStop"));
    }
    m_circleShown = false;
    if (m_hidesWhenStopped)
        hide();
    update();
}

void CircleAnimationView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF b(rect());
    if (!m_bgImage.isNull())
        p.drawImage(b, m_bgImage);
    if (!m_circleShown || m_circleImage.isNull())
        return;
    p.translate(b.center());
    p.rotate(-angle() * 180.0 / M_PI);
    p.translate(-b.center());
    p.drawImage(b, m_circleImage);
}
