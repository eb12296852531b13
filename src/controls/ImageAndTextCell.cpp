#include "controls/ImageAndTextCell.h"

#include "controls/TableGeometry.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

namespace {
QImage at18(const QImage &image)
{
    if (image.isNull())
        return {};
    const qreal ratio = image.devicePixelRatio();
    QImage out = image.scaled(QSize(18, 18) * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    out.setDevicePixelRatio(ratio);
    return out;
}
} // namespace

ImageAndTextCell::ImageAndTextCell(QObject *parent) : TableCellDelegate(parent) {}

void ImageAndTextCell::setImage(const QImage &image) { m_image = at18(image); }

void ImageAndTextCell::setHighlightImage(const QImage &image) { m_highlightImage = at18(image); }

void ImageAndTextCell::paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QRectF frame = option.rect;
    const bool highlighted = isHighlighted(option);
    p->save();
    if (highlighted) {
        p->fillRect(TableGeometry::imageAndTextHighlightRect(frame), highlightColor());
        if (m_cellType == 1)
            p->fillRect(QRectF(0, frame.y(), 14, frame.height()), Qt::white);
    }
    const QString title = text(index);
    const QFont f = font(option, index);
    const QImage image = at18(decorationImage(index, m_image));
    const QImage highlight = at18(imageFrom(index.data(TableCellRoles::HighlightImageRole)));
    if (!image.isNull()) {
        const TableGeometry::ImageTextLayout l = TableGeometry::imageAndTextLayout(frame, pointSize(image), m_cellType);
        const QImage shown = highlighted ? (highlight.isNull() ? m_highlightImage : highlight) : image;
        p->drawImage(l.image, shown.isNull() ? image : shown);
        p->setFont(f);
        p->setPen(highlighted ? QColor(Qt::white) : QColor(38, 38, 38));
        const QString elided = QFontMetricsF(f).elidedText(title, Qt::ElideRight, l.text.width());
        p->drawText(l.text, Qt::AlignLeft | Qt::AlignTop, elided);
    } else if (isGroupCell(image, title)) {
        const QFontMetricsF fm(f);
        const QRectF group = TableGeometry::imageAndTextGroupFrame(frame, fm.height());
        p->setFont(f);
        p->setPen(highlighted ? QColor(Qt::white) : textColor(option, index));
        p->drawText(group.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignTop,
                    fm.elidedText(title, Qt::ElideRight, group.width() - 4));
    }
    p->restore();
}

QSize ImageAndTextCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QSize base = QStyledItemDelegate::sizeHint(option, index);
    const QImage image = decorationImage(index, m_image);
    return base + QSize((image.isNull() ? 0 : 18) + 3, 0);
}
