#include "controls/MiddleTextAndImageCell.h"

#include "controls/TableGeometry.h"

#include <QPainter>

void MiddleTextAndImageCell::paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    drawTextAndImage(p, option, index);
}

QRectF MiddleTextAndImageCell::drawTextAndImage(QPainter *p, const QStyleOptionViewItem &option,
                                                const QModelIndex &index) const
{
    const QImage image = decorationImage(index, m_image);
    if (image.isNull()) {
        drawMiddleText(p, option, index, option.rect);
        return {};
    }
    const QRectF frame = option.rect;
    const QRectF t = titleRect(frame);
    const QSizeF text = textSize(TableCellDelegate::text(index), font(option, index), t.size());
    const TableGeometry::ImageTextLayout l =
        TableGeometry::middleTextAndImageLayout(frame, t, text, pointSize(image), m_direct);
    drawMiddleText(p, option, index, l.text);
    p->drawImage(l.image, image);
    return l.image;
}
