#pragma once

#include "controls/TableCellDelegate.h"

// A text cell whose text is centred vertically (and horizontally when centred and it fits).
// It draws no highlight of its own.
class MiddleTextFieldCell : public TableCellDelegate
{
    Q_OBJECT
public:
    using TableCellDelegate::TableCellDelegate;

    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment a) { m_alignment = a; }
    QString placeholder() const { return m_placeholder; }
    void setPlaceholder(const QString &s) { m_placeholder = s; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    virtual QRectF titleRect(const QRectF &bounds) const { return titleRectForBounds(bounds); }

protected:
    bool isCentred(const QModelIndex &index) const;
    // Draws the text (or the placeholder) centred in the frame's title rectangle.
    void drawMiddleText(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index,
                        const QRectF &frame) const;

private:
    Qt::Alignment m_alignment = Qt::AlignLeft;
    QString m_placeholder;
};
