#pragma once

#include "controls/TableCellDelegate.h"

// The image-and-text cell of source lists: an 18 x 18 picture before the title, a green
// highlight reaching the table's left edge, and group rows (no picture) with a centred title.
class ImageAndTextCell : public TableCellDelegate
{
    Q_OBJECT
public:
    explicit ImageAndTextCell(QObject *parent = nullptr);

    static QColor highlightColor() { return QColor(148, 209, 33); }
    int cellType() const { return m_cellType; }
    void setCellType(int type) { m_cellType = type; }
    QImage image() const { return m_image; }
    // Pictures are kept at 18 x 18 points.
    void setImage(const QImage &image);
    QImage highlightImage() const { return m_highlightImage; }
    void setHighlightImage(const QImage &image);
    // A row without a picture and with a title is a group row.
    static bool isGroupCell(const QImage &image, const QString &title) { return image.isNull() && !title.isEmpty(); }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int m_cellType = 0;
    QImage m_image;
    QImage m_highlightImage;
};
