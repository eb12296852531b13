#pragma once

#include <QImage>
#include <QStyledItemDelegate>

// Model roles the drawn cells read besides the display text and the decoration image.
namespace TableCellRoles {
enum Role {
    ProgressRole = Qt::UserRole + 700,  // int: install progress of MiddleTextAndInstallImageCell
    InstallImageRole,                   // QImage: the install picture
    HighlightImageRole,                 // QImage: the picture of a selected row
    ColumnIdentifierRole,               // QString, header data: a column's identifier
    LinkRole,                           // QUrl or QString: the link of a LinkTextFieldCell's text
};
}

// Base of the drawn cells: rows are painted by delegates, never one widget per row. The
// default paint draws the item as Qt does but without the platform's selection and focus
// looks, since the drawn tables paint their own row highlight.
class TableCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    static bool isHighlighted(const QStyleOptionViewItem &option);
    static QString text(const QModelIndex &index);
    static QImage imageFrom(const QVariant &value);
    // The row's picture from the decoration role (an empty one means none), else the fallback.
    static QImage decorationImage(const QModelIndex &index, const QImage &fallback);
    static QColor textColor(const QStyleOptionViewItem &option, const QModelIndex &index);
    static QFont font(const QStyleOptionViewItem &option, const QModelIndex &index);
    // The size of the text laid out from its origin inside a box of the given size.
    static QSizeF textSize(const QString &text, const QFont &font, const QSizeF &box);
    static QSizeF pointSize(const QImage &image);
    // The title rectangle of a plain text cell: the frame less 2 points each side.
    static QRectF titleRectForBounds(const QRectF &bounds);
};
