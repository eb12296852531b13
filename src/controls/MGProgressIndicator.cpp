#include "controls/MGProgressIndicator.h"

#include "controls/ControlSlices.h"
#include "controls/FrameAnimator.h"
#include "controls/PopoverGeometry.h"

#include <QPainter>
#include <QVariantAnimation>

namespace {
constexpr double WaitingCycle = 0.5;
} // namespace

const QStringList &MGProgressIndicator::defaultFrameNames()
{
    static const QStringList names = {QStringLiteral("Guidancemap-03"), QStringLiteral("Guidancemap-05"),
                                      QStringLiteral("Guidancemap-06"), QStringLiteral("Guidancemap-07"),
                                      QStringLiteral("Guidancemap-08"), QStringLiteral("Guidancemap-09"),
                                      QStringLiteral("Guidancemap-10")};
    return names;
}

MGProgressIndicator::MGProgressIndicator(QWidget *parent) : QWidget(parent)
{
    m_animator = new FrameAnimator(this, QStringLiteral("WaitingAnimaction"));
    m_animator->setFrames(FrameAnimator::loadFrames(defaultFrameNames(), [](const QString &n) {
        return ControlSlices::image(n, QStringLiteral("Guidancemap"));
    }));
}

MGProgressIndicator::~MGProgressIndicator() = default;

void MGProgressIndicator::setMinValue(double v)
{
    m_minValue = v;
    update();
}

void MGProgressIndicator::setMaxValue(double v)
{
    m_maxValue = v;
    update();
}

void MGProgressIndicator::setDoubleValue(double v)
{
    m_doubleValue = v;
    update();
}

void MGProgressIndicator::setFillMargins(const QRectF &m)
{
    m_fillMargins = m;
    update();
}

void MGProgressIndicator::setAnimationImages(const QStringList &names)
{
    m_animator->setFrames(FrameAnimator::loadFrames(names, [](const QString &n) {
        return ControlSlices::image(n, QStringLiteral("Animation4"));
    }));
}

void MGProgressIndicator::startAnimation()
{
    m_animator->start(WaitingCycle, -1);
}

void MGProgressIndicator::stopAnimation()
{
    m_animator->stop();
}

bool MGProgressIndicator::isAnimating() const
{
    return m_animator->isAnimating();
}

QRectF MGProgressIndicator::fillRect() const
{
    const QRectF b(0, 0, width(), height());
    const QRectF up = PopoverGeometry::progressFillRect(b, m_fillMargins, m_doubleValue, m_minValue, m_maxValue);
    return up.isEmpty() ? QRectF() : PopoverGeometry::upToQt(up, height());
}

void MGProgressIndicator::showEvent(QShowEvent *e)
{
    // Back in a window while still in its waiting look: the frames run again.
    if (m_animator->isShowing() && !m_animator->isAnimating()) {
        m_animator->stop();
        startAnimation();
    }
    QWidget::showEvent(e);
}

void MGProgressIndicator::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_animator->isShowing()) {
        m_animator->drawCurrentFrame(&p, QRectF(rect()));
        return;
    }
    p.fillRect(rect(), QColor::fromRgbF(0.912f, 0.912f, 0.912f));
    const QRectF fill = fillRect();
    if (!fill.isEmpty())
        p.fillRect(fill, QColor::fromRgbF(0.18f, 0.76f, 0.38f));
}
