#pragma once

#include "controls/PressedPartScrollBar.h"

#include <QImage>

// A scroll bar drawn from pictures its owner sets: one arrow set, a three-part track and a
// three-part knob. Each group (arrows, track, knob) is drawn from pictures only when all of its
// pictures are set; an incomplete group is left to the style.
class CustomizeScroller : public PressedPartScrollBar
{
    Q_OBJECT
public:
    explicit CustomizeScroller(Qt::Orientation orientation, QWidget *parent = nullptr);

    struct Images
    {
        QImage increase, increaseHighlight, decrease, decreaseHighlight;
        QImage knobMid, knobLeft, knobRight;
        QImage bgLeft, bgMid, bgRight;
    };
    const Images &images() const { return m_images; }
    void setImages(const Images &images) { m_images = images; update(); }
    bool isHorizontal() const { return orientation() == Qt::Horizontal; }

    bool arrowsComplete() const;
    bool trackComplete() const;
    bool knobComplete() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect partRect(int subControl) const;
    void styleDraws(QPainter *p, int subControls);

    Images m_images;
};
