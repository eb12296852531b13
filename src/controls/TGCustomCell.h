#pragma once

#include "controls/TableCellDelegate.h"

#include <QPointer>

// A cell that hosts one view: painting the cell puts the view over the cell's frame inside the
// table. Meant for a few special rows; lists of many rows paint their rows with delegates.
class TGCustomCell : public TableCellDelegate
{
    Q_OBJECT
public:
    using TableCellDelegate::TableCellDelegate;

    static QColor highlightColor() { return QColor(148, 209, 33); }
    QWidget *showView() const { return m_showView; }
    void setShowView(QWidget *view) { m_showView = view; }
    QImage backgroundImg() const { return m_backgroundImg; }
    void setBackgroundImg(const QImage &i) { m_backgroundImg = i; }
    QImage highlightImg() const { return m_highlightImg; }
    void setHighlightImg(const QImage &i) { m_highlightImg = i; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QPointer<QWidget> m_showView;  // not owned
    QImage m_backgroundImg;        // kept for the owner; not drawn
    QImage m_highlightImg;
};
