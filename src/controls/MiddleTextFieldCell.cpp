#include "controls/MiddleTextFieldCell.h"

#include "controls/TableGeometry.h"

#include <QPainter>

void MiddleTextFieldCell::paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    drawMiddleText(p, option, index, option.rect);
}

bool MiddleTextFieldCell::isCentred(const QModelIndex &index) const
{
    const QVariant a = index.data(Qt::TextAlignmentRole);
    const Qt::Alignment align = a.isValid() ? Qt::Alignment(a.toInt()) : m_alignment;
    return align & Qt::AlignHCenter;
}

void MiddleTextFieldCell::drawMiddleText(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index,
                                         const QRectF &frame) const
{
    const QRectF t = titleRect(frame);
    const QFont f = font(option, index);
    QString s = text(index);
    QColor color = textColor(option, index);
    if (s.isEmpty()) {
        s = m_placeholder;
        color.setAlphaF(0.45);
    }
    if (s.isEmpty())
        return;
    const QSizeF size = textSize(s, f, t.size());
    const QRectF r = TableGeometry::middleTextRect(t, size, isCentred(index));
    p->save();
    p->setClipRect(frame);
    p->setFont(f);
    p->setPen(color);
    p->drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, s);
    p->restore();
}
