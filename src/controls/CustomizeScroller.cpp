#include "controls/CustomizeScroller.h"

#include "controls/ControlSlices.h"
#include "controls/TableGeometry.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

CustomizeScroller::CustomizeScroller(Qt::Orientation orientation, QWidget *parent) : PressedPartScrollBar(orientation, parent) {}

bool CustomizeScroller::arrowsComplete() const
{
    return !m_images.increase.isNull() && !m_images.increaseHighlight.isNull() && !m_images.decrease.isNull() &&
           !m_images.decreaseHighlight.isNull();
}

bool CustomizeScroller::trackComplete() const
{
    return !m_images.bgLeft.isNull() && !m_images.bgMid.isNull() && !m_images.bgRight.isNull();
}

bool CustomizeScroller::knobComplete() const
{
    return !m_images.knobLeft.isNull() && !m_images.knobMid.isNull() && !m_images.knobRight.isNull();
}

QRect CustomizeScroller::partRect(int subControl) const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SubControl(subControl), this);
}

void CustomizeScroller::styleDraws(QPainter *p, int subControls)
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    opt.subControls = QStyle::SubControls(subControls);
    opt.activeSubControls = QStyle::SubControl(hitPart());
    if (hitPart())
        opt.state |= QStyle::State_Sunken;
    style()->drawComplexControl(QStyle::CC_ScrollBar, &opt, p, this);
}

void CustomizeScroller::paintEvent(QPaintEvent *)
{
    using namespace TableGeometry;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const bool h = isHorizontal();
    const QRectF knob = partRect(QStyle::SC_ScrollBarSlider);
    const qreal knobLength = maximum() > minimum() ? (h ? knob.width() : knob.height()) : 0;

    // Track.
    const QRectF slot = partRect(QStyle::SC_ScrollBarGroove);
    if (!trackComplete() || slot.width() <= 0 || slot.height() <= 0) {
        styleDraws(&p, QStyle::SC_ScrollBarGroove | QStyle::SC_ScrollBarAddPage | QStyle::SC_ScrollBarSubPage);
    } else {
        const TrackParts t = customizeTrackParts(slot, ControlSlices::pointSize(m_images.bgLeft), knobLength, h);
        p.drawImage(t.middle, m_images.bgMid);
        if (!t.middleOnly) {
            p.drawImage(t.right, m_images.bgRight);
            p.drawImage(t.left, m_images.bgLeft);
        }
    }
    // Arrows.
    if (!arrowsComplete()) {
        styleDraws(&p, QStyle::SC_ScrollBarSubLine | QStyle::SC_ScrollBarAddLine);
    } else {
        const QRectF dec = partRect(QStyle::SC_ScrollBarSubLine), inc = partRect(QStyle::SC_ScrollBarAddLine);
        const QImage &d = hitPart() == QStyle::SC_ScrollBarSubLine ? m_images.decreaseHighlight : m_images.decrease;
        const QImage &i = hitPart() == QStyle::SC_ScrollBarAddLine ? m_images.increaseHighlight : m_images.increase;
        if (!dec.isEmpty())
            p.drawImage(customizeDecrementRect(dec, ControlSlices::pointSize(d), h), d);
        if (!inc.isEmpty())
            p.drawImage(customizeIncrementRect(inc, ControlSlices::pointSize(i), h), i);
    }
    // Knob.
    if (knobLength <= 0)
        return;
    if (!knobComplete() || knob.width() <= 0 || knob.height() <= 0) {
        styleDraws(&p, QStyle::SC_ScrollBarSlider);
        return;
    }
    const KnobParts k = customizeKnobParts(knob, ControlSlices::pointSize(m_images.knobLeft),
                                           ControlSlices::pointSize(m_images.knobRight), h);
    p.drawImage(k.start, m_images.knobLeft);
    p.drawImage(k.end, m_images.knobRight);
    if (k.middle.width() > 0 && k.middle.height() > 0)
        p.drawImage(k.middle, m_images.knobMid);
}
