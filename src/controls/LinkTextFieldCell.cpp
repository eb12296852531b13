#include "controls/LinkTextFieldCell.h"

#include "controls/TableGeometry.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

QRectF LinkTextFieldCell::textRect(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QRectF t = titleRectForBounds(option.rect);
    const QFontMetricsF fm(font(option, index));
    const QSizeF size(std::min(fm.horizontalAdvance(text(index)), t.width()), fm.height());
    return TableGeometry::middleTextRect(t, size, false);
}

int LinkTextFieldCell::hitTest(const QStyleOptionViewItem &option, const QModelIndex &index, const QPointF &point) const
{
    if (text(index).isEmpty() || !textRect(option, index).contains(point))
        return TableGeometry::HitNone;
    return TableGeometry::HitContentArea | TableGeometry::HitTrackableArea;
}

bool LinkTextFieldCell::performPress(const QModelIndex &index)
{
    const QVariant link = index.data(TableCellRoles::LinkRole);
    if (!link.isValid() || link.toString().isEmpty() || !m_handler)
        return false;
    m_handler(link, this);
    return true;
}

void LinkTextFieldCell::paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QString s = text(index);
    if (s.isEmpty())
        return;
    const QRectF r = textRect(option, index);
    QFont f = font(option, index);
    if (index.data(TableCellRoles::LinkRole).isValid())
        f.setUnderline(true);
    p->save();
    p->setFont(f);
    p->setPen(isHighlighted(option) ? QColor(Qt::blue) : textColor(option, index));
    p->drawText(r, Qt::AlignLeft | Qt::AlignTop, QFontMetricsF(f).elidedText(s, Qt::ElideRight, r.width()));
    p->restore();
}

bool LinkTextFieldCell::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                    const QModelIndex &index)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const bool onText = hitTest(option, index, mouse->position()) & TableGeometry::HitContentArea;
    if (event->type() == QEvent::MouseButtonPress) {
        if (!onText)
            return false;
        m_pressed = index;
        model->setData(index, QColor(Qt::red), Qt::ForegroundRole);  // the pressed colour stays
        return false;  // the view still selects the row
    }
    const bool click = onText && m_pressed.isValid() && m_pressed == index;
    m_pressed = QPersistentModelIndex();
    if (click)
        performPress(index);
    return click;
}
