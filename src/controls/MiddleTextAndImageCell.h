#pragma once

#include "controls/MiddleTextFieldCell.h"

// A middle text cell with a picture before (direct 1) or after (direct 0) the text; any other
// direct puts the picture at the title rectangle's origin. The row's decoration image, when the
// model gives one, replaces the cell's picture.
class MiddleTextAndImageCell : public MiddleTextFieldCell
{
    Q_OBJECT
public:
    using MiddleTextFieldCell::MiddleTextFieldCell;

    int direct() const { return m_direct; }
    void setDirect(int d) { m_direct = d; }
    QImage image() const { return m_image; }
    void setImage(const QImage &image) { m_image = image; }
    QImage highlightImage() const { return m_highlightImage; }
    void setHighlightImage(const QImage &image) { m_highlightImage = image; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    // Draws text and picture; returns the picture's rectangle (null without a picture).
    QRectF drawTextAndImage(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const;

private:
    int m_direct = 1;
    QImage m_image;
    QImage m_highlightImage;  // kept for copies; not drawn
};
