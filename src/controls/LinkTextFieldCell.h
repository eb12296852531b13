#pragma once

#include "controls/TableCellDelegate.h"

#include <QPersistentModelIndex>

#include <functional>

// A text cell whose text can be clicked as a link. A press on the text turns it red (the colour
// stays, written to the model's foreground); a release still on the text clicks the link: the
// handler gets the index's TableCellRoles::LinkRole value. Text without a link does nothing.
// Selected rows show the text in blue.
class LinkTextFieldCell : public TableCellDelegate
{
    Q_OBJECT
public:
    using Handler = std::function<void(const QVariant &link, LinkTextFieldCell *cell)>;
    using TableCellDelegate::TableCellDelegate;

    void setLinkClickedHandler(Handler handler) { m_handler = std::move(handler); }
    // TableGeometry::CellHit flags: the text is content and trackable.
    int hitTest(const QStyleOptionViewItem &option, const QModelIndex &index, const QPointF &point) const;
    // Clicks the link as the accessibility press action does.
    bool performPress(const QModelIndex &index);
    // Where the text is drawn in a cell.
    QRectF textRect(const QStyleOptionViewItem &option, const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    Handler m_handler;
    QPersistentModelIndex m_pressed;
};
