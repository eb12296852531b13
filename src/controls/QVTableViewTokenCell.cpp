#include "controls/QVTableViewTokenCell.h"

#include "controls/TableGeometry.h"

#include <QPainter>

void QVTableViewTokenCell::paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QString s = text(index);
    if (s.isEmpty())
        return;
    const QRectF t = titleRect(option.rect);
    const QFont f = font(option, index);
    const QSizeF size = textSize(s, f, t.size());
    const TableGeometry::TokenLayout l = TableGeometry::tokenLayout(t, size, isCentred(index));
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(Qt::NoPen);
    p->setBrush(tokenColor(isHighlighted(option)));
    p->drawRoundedRect(l.token, 3, 3);
    p->setFont(f);
    p->setPen(textColor(option, index));
    p->drawText(l.text, Qt::AlignLeft | Qt::AlignTop, s);
    p->restore();
}
