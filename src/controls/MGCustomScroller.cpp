#include "controls/MGCustomScroller.h"

#include "controls/ControlSlices.h"
#include "controls/TableGeometry.h"
#include "controls/slices/SlicesManager.h"

#include <map>

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {

MGCustomScroller::Images load(const QString &prefix, qreal dpr)
{
    const QString sheet = QStringLiteral("TableArt");
    auto get = [&](const char *part) {
        return SlicesManager::defaultManager().sliceNamed(prefix + QLatin1String(part), sheet, dpr);
    };
    MGCustomScroller::Images i;
    i.increase = get("TogetherIncrement");
    i.increaseHighlight = get("TogetherIncrementHighlight");
    i.decrease = get("TogetherDecrement");
    i.decreaseHighlight = get("TogetherDecrementHighlight");
    i.nincrease = get("NotTogetherIncrement");
    i.nincreaseHighlight = get("NotTogetherIncrementHighlight");
    i.ndecrease = get("NotTogetherDecrement");
    i.ndecreaseHighlight = get("NotTogetherDecrementHighlight");
    i.arrowOtherSideEndPart = get("ArrowOtherSideEndPart");
    i.knobMid = get("KnobMiddle");
    i.knobLeft = get("KnobLeft");
    i.knobRight = get("KnobRight");
    i.background = get("Background");
    return i;
}

} // namespace

MGCustomScroller::MGCustomScroller(Qt::Orientation orientation, QWidget *parent) : PressedPartScrollBar(orientation, parent) {}

MGCustomScroller *MGCustomScroller::replacing(QScrollBar *old)
{
    auto *scroller = new MGCustomScroller(old ? old->orientation() : Qt::Vertical, old ? old->parentWidget() : nullptr);
    if (old)
        scroller->setGeometry(old->geometry());
    return scroller;
}

const MGCustomScroller::Images &MGCustomScroller::sharedImages(Qt::Orientation orientation, qreal dpr)
{
    // Read once per process and ratio, for both orientations; main thread only.
    static std::map<int, Images> sets;  // node-based: handed-out references stay valid
    if (dpr <= 0)
        dpr = std::max<qreal>(1, SlicesManager::screenDevicePixelRatio());
    const int key = int(std::lround(dpr * 100)) * 2 + (orientation == Qt::Horizontal ? 1 : 0);
    auto it = sets.find(key);
    if (it == sets.end())
        it = sets.emplace(key, load(orientation == Qt::Horizontal ? QStringLiteral("HScrollBarV") : QStringLiteral("ScrollBarV"), dpr)).first;
    return it->second;
}

void MGCustomScroller::initImage(qreal dpr)
{
    if (m_images.increase.isNull())
        m_images = sharedImages(orientation(), dpr);
}

QRect MGCustomScroller::partRect(int subControl) const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SubControl(subControl), this);
}

bool MGCustomScroller::isArrowTogether() const
{
    return TableGeometry::scrollerArrowsTogether(partRect(QStyle::SC_ScrollBarSubLine),
                                                 partRect(QStyle::SC_ScrollBarAddLine), isHorizontal());
}

void MGCustomScroller::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    initImage(p.device()->devicePixelRatioF());
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    drawKnobSlot(&p, opt);
    drawDecrementArrow(&p);
    drawIncrementArrow(&p);
    drawKnob(&p, opt);
}

void MGCustomScroller::drawKnobSlot(QPainter *p, const QStyleOptionSlider &opt)
{
    if (m_images.background.isNull()) {
        QStyleOptionSlider slot(opt);
        slot.subControls = QStyle::SC_ScrollBarGroove | QStyle::SC_ScrollBarAddPage | QStyle::SC_ScrollBarSubPage;
        style()->drawComplexControl(QStyle::CC_ScrollBar, &slot, p, this);
        return;
    }
    // The slot covers the track between and under the arrows, as the pictures expect.
    p->drawImage(QRectF(rect()), m_images.background);
}

void MGCustomScroller::drawDecrementArrow(QPainter *p)
{
    const QRectF R = partRect(QStyle::SC_ScrollBarSubLine);
    if (R.isEmpty())
        return;
    const bool down = pressed(QStyle::SC_ScrollBarSubLine);
    const bool together = isArrowTogether();
    if (together) {
        const QImage &img = down ? m_images.decreaseHighlight : m_images.decrease;
        if (img.isNull())
            return;
        if (!m_images.arrowOtherSideEndPart.isNull())
            p->drawImage(TableGeometry::scrollerEndPartRect(R, ControlSlices::pointSize(m_images.arrowOtherSideEndPart),
                                                            isHorizontal()),
                         m_images.arrowOtherSideEndPart);
        p->drawImage(TableGeometry::scrollerDecrementRect(R, ControlSlices::pointSize(img), true, isHorizontal()), img);
        return;
    }
    const QImage &img = down ? m_images.ndecreaseHighlight : m_images.ndecrease;
    if (!img.isNull())
        p->drawImage(TableGeometry::scrollerDecrementRect(R, ControlSlices::pointSize(img), false, isHorizontal()), img);
}

void MGCustomScroller::drawIncrementArrow(QPainter *p)
{
    const QRectF R = partRect(QStyle::SC_ScrollBarAddLine);
    if (R.isEmpty())
        return;
    const bool down = pressed(QStyle::SC_ScrollBarAddLine);
    const bool together = isArrowTogether();
    const QImage &img = together ? (down ? m_images.increaseHighlight : m_images.increase)
                                 : (down ? m_images.nincreaseHighlight : m_images.nincrease);
    if (!img.isNull())
        p->drawImage(TableGeometry::scrollerIncrementRect(R, ControlSlices::pointSize(img), together, isHorizontal()), img);
}

void MGCustomScroller::drawKnob(QPainter *p, const QStyleOptionSlider &opt)
{
    const QRectF K = partRect(QStyle::SC_ScrollBarSlider);
    if (K.isEmpty() || maximum() <= minimum())
        return;
    if (m_images.knobLeft.isNull() || (isHorizontal() && K.width() < 1)) {
        QStyleOptionSlider knob(opt);
        knob.subControls = QStyle::SC_ScrollBarSlider;
        style()->drawComplexControl(QStyle::CC_ScrollBar, &knob, p, this);
        return;
    }
    const TableGeometry::KnobParts parts = TableGeometry::scrollerKnobParts(
        K, ControlSlices::pointSize(m_images.knobLeft), ControlSlices::pointSize(m_images.knobMid),
        ControlSlices::pointSize(m_images.knobRight), isArrowTogether(), isHorizontal());
    p->drawImage(parts.start, m_images.knobLeft);
    if (!m_images.knobMid.isNull() && parts.middle.width() > 0 && parts.middle.height() > 0)
        p->drawImage(parts.middle, m_images.knobMid);
    if (!m_images.knobRight.isNull())
        p->drawImage(parts.end, m_images.knobRight);
}
