#include "controls/TableCellDelegate.h"

#include <QFontMetricsF>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <climits>

void TableCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt(option);
    opt.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
    QStyledItemDelegate::paint(painter, opt, index);
}

bool TableCellDelegate::isHighlighted(const QStyleOptionViewItem &option)
{
    return option.state & QStyle::State_Selected;
}

QString TableCellDelegate::text(const QModelIndex &index) { return index.data(Qt::DisplayRole).toString(); }

QImage TableCellDelegate::imageFrom(const QVariant &value)
{
    if (value.canConvert<QImage>() && value.typeId() == QMetaType::QImage)
        return value.value<QImage>();
    if (value.typeId() == QMetaType::QPixmap)
        return value.value<QPixmap>().toImage();
    if (value.typeId() == QMetaType::QIcon) {
        const QIcon icon = value.value<QIcon>();
        const QList<QSize> sizes = icon.availableSizes();
        return icon.pixmap(sizes.isEmpty() ? QSize(16, 16) : sizes.last()).toImage();
    }
    return {};
}

QImage TableCellDelegate::decorationImage(const QModelIndex &index, const QImage &fallback)
{
    // A decoration the model gives, even an empty picture, is the row's own choice.
    const QVariant value = index.data(Qt::DecorationRole);
    return value.isValid() ? imageFrom(value) : fallback;
}

QColor TableCellDelegate::textColor(const QStyleOptionViewItem &option, const QModelIndex &index)
{
    const QVariant fg = index.data(Qt::ForegroundRole);
    if (fg.canConvert<QBrush>() && fg.isValid())
        return fg.value<QBrush>().color();
    return option.palette.color(QPalette::Text);
}

QFont TableCellDelegate::font(const QStyleOptionViewItem &option, const QModelIndex &index)
{
    const QVariant f = index.data(Qt::FontRole);
    return f.isValid() ? f.value<QFont>() : option.font;
}

QSizeF TableCellDelegate::textSize(const QString &text, const QFont &font, const QSizeF &box)
{
    if (text.isEmpty())
        return {};
    const QFontMetricsF fm(font);
    const QRectF r = fm.boundingRect(QRectF(0, 0, std::max<qreal>(box.width(), 1), INT_MAX),
                                     Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    return r.size();
}

QSizeF TableCellDelegate::pointSize(const QImage &image)
{
    if (image.isNull())
        return {};
    return QSizeF(image.width() / image.devicePixelRatio(), image.height() / image.devicePixelRatio());
}

QRectF TableCellDelegate::titleRectForBounds(const QRectF &bounds) { return bounds.adjusted(2, 0, -2, 0); }
