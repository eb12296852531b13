#include "controls/MGAnimationView.h"

#include "controls/ControlSlices.h"
#include "controls/FrameAnimator.h"

#include <QPainter>

const QStringList &MGAnimationView::defaultFrameNames()
{
    static const QStringList names = {QStringLiteral("Guidancemap-20"), QStringLiteral("Guidancemap-21"),
                                      QStringLiteral("Guidancemap-22"), QStringLiteral("Guidancemap-23"),
                                      QStringLiteral("Guidancemap-24"), QStringLiteral("Guidancemap-25")};
    return names;
}

MGAnimationView::MGAnimationView(QWidget *parent) : QWidget(parent)
{
    m_animator = new FrameAnimator(this, QStringLiteral("WaitingAnimaction"));
    m_animator->setFrames(FrameAnimator::loadFrames(defaultFrameNames(), [](const QString &n) {
        return ControlSlices::image(n, QStringLiteral("Guidancemap"));
    }));
}

void MGAnimationView::setAnimationImages(const QStringList &names)
{
    m_animator->setFrames(FrameAnimator::loadFrames(names, [](const QString &n) {
        return ControlSlices::image(n, QStringLiteral("Animation4"));
    }));
}

void MGAnimationView::startAnimation()
{
    m_animator->start(0.5, -1);
}

void MGAnimationView::stopAnimation()
{
    m_animator->stop();
}

bool MGAnimationView::isAnimating() const
{
    return m_animator->isAnimating();
}

void MGAnimationView::setFillMargins(const QRectF &m)
{
    m_fillMargins = m;
    update();
}

void MGAnimationView::showEvent(QShowEvent *e)
{
    if (m_animator->isShowing() && !m_animator->isAnimating()) {
        m_animator->stop();
        startAnimation();
    }
    QWidget::showEvent(e);
}

void MGAnimationView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    m_animator->drawCurrentFrame(&p, QRectF(rect()));
}
