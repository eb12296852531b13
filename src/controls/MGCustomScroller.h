#pragma once

#include "controls/PressedPartScrollBar.h"

#include <QImage>

class QStyleOptionSlider;

// A scroll bar that draws its arrows, knob and track from pictures: the "ScrollBarV…" slices of
// the sheet "TableArt" (the horizontal set is named "HScrollBarV…"), read once per process and
// shared. Scrolling, sizes and hit testing stay the style's. A missing track or knob picture
// falls back to the style's drawing; a missing arrow picture leaves that arrow undrawn.
class MGCustomScroller : public PressedPartScrollBar
{
    Q_OBJECT
public:
    explicit MGCustomScroller(Qt::Orientation orientation, QWidget *parent = nullptr);
    // A scroller with the frame of the one it replaces.
    static MGCustomScroller *replacing(QScrollBar *old);

    struct Images
    {
        QImage increase, increaseHighlight, decrease, decreaseHighlight;
        QImage nincrease, nincreaseHighlight, ndecrease, ndecreaseHighlight;
        QImage arrowOtherSideEndPart, knobMid, knobLeft, knobRight, background;
    };
    // The process's shared set for an orientation at a device-pixel ratio (read once per ratio;
    // empty pictures where the art lacks them). Ratio 0: the screens' largest.
    static const Images &sharedImages(Qt::Orientation orientation, qreal dpr = 0);
    // Takes the shared set while no increment picture is set.
    void initImage(qreal dpr = 0);
    const Images &images() const { return m_images; }
    void setImages(const Images &images) { m_images = images; update(); }

    bool isHorizontal() const { return orientation() == Qt::Horizontal; }
    // Part rectangles from the style, in widget coordinates.
    QRect partRect(int subControl) const;
    bool isArrowTogether() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void drawKnobSlot(QPainter *p, const QStyleOptionSlider &opt);
    void drawDecrementArrow(QPainter *p);
    void drawIncrementArrow(QPainter *p);
    void drawKnob(QPainter *p, const QStyleOptionSlider &opt);
    bool pressed(int subControl) const { return hitPart() == subControl; }

    Images m_images;
};
