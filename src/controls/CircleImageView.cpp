#include "controls/CircleImageView.h"

#include "controls/ControlLog.h"
#include "controls/PopoverGeometry.h"

#include <QPainter>
#include <QVariantAnimation>

CircleImageView::CircleImageView(QWidget *parent) : QWidget(parent) {}

double CircleImageView::angle() const
{
    return m_rotate ? PopoverGeometry::circleImageAngle(m_rotate->currentLoopTime() / 1000.0) : 0;
}

void CircleImageView::startAnimating()
{
    if (!m_layerMade) {
        m_layerMade = true;
        m_layerImage = m_image;
        m_image = QImage();
    }
    show();
    if (m_rotate) {
        if (m_rotate->state() == QAbstractAnimation::Paused)
            m_rotate->resume();
        return;
    }
    m_rotate = new QVariantAnimation(this);
    m_rotate->setStartValue(0.0);
    m_rotate->setEndValue(1.0);
    m_rotate->setDuration(1000);
    m_rotate->setLoopCount(-1);
    connect(m_rotate, &QVariantAnimation::valueChanged, this, [this] { update(); });
    ControlLog::info(QStringLiteral("animationDidStart"));
    m_rotate->start();
}

void CircleImageView::stopAnimating()
{
    hide();
}

void CircleImageView::hideEvent(QHideEvent *e)
{
    // Nothing to turn while hidden.
    if (m_rotate && m_rotate->state() == QAbstractAnimation::Running)
        m_rotate->pause();
    QWidget::hideEvent(e);
}

void CircleImageView::showEvent(QShowEvent *e)
{
    if (m_rotate && m_rotate->state() == QAbstractAnimation::Paused)
        m_rotate->resume();
    QWidget::showEvent(e);
}

void CircleImageView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF b(rect());
    if (!m_image.isNull())
        p.drawImage(b, m_image);
    if (!m_layerMade || m_layerImage.isNull())
        return;
    p.translate(b.center());
    // Clockwise on screen: Qt's rotate() turns clockwise for positive angles in top-down views.
    p.rotate(-angle() * 180.0 / M_PI);
    p.translate(-b.center());
    p.drawImage(b, m_layerImage);
}
