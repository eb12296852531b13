#include "controls/AddToAnimationView.h"

#include "controls/ControlLog.h"
#include "controls/ControlSlices.h"
#include "controls/FrameAnimator.h"

#include <QPainter>

AddToAnimationView::AddToAnimationView(QWidget *parent) : QWidget(parent)
{
    m_animator = new FrameAnimator(this, QStringLiteral("WaitingAnimaction"));
    // One cycle and done: the view stops itself so its own look comes back.
    connect(m_animator, &FrameAnimator::stopped, this, [this](bool finished) {
        if (finished)
            stopAnimation();
    });
}

void AddToAnimationView::setAnimationImages(const QStringList &names, const QString &sheet)
{
    m_animator->setFrames(FrameAnimator::loadFrames(names, [&sheet](const QString &n) {
        const QImage img = ControlSlices::image(n, sheet);
        ControlLog::info(QStringLiteral("%1  %2  %3").arg(n, sheet, img.isNull() ? QStringLiteral("(none)")
                                                                                 : QStringLiteral("%1x%2").arg(img.width()).arg(img.height())));
        return img;
    }));
}

void AddToAnimationView::startAnimation()
{
    m_animator->start(1.0, 1);
}

void AddToAnimationView::stopAnimation()
{
    if (m_animator->isShowing() || m_animator->isAnimating())
        m_animator->stop();
}

bool AddToAnimationView::isAnimating() const
{
    return m_animator->isAnimating();
}

void AddToAnimationView::setFillMargins(const QRectF &m)
{
    m_fillMargins = m;
    update();
}

void AddToAnimationView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    m_animator->drawCurrentFrame(&p, QRectF(rect()));
}
