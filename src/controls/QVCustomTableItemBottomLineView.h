#pragma once

#include "controls/QVCustomTableView.h"

// A styled table with a light line along the bottom of every row.
class QVCustomTableItemBottomLineView : public QVCustomTableView
{
    Q_OBJECT
public:
    using QVCustomTableView::QVCustomTableView;
    static QColor lineColor() { return QColor(221, 225, 228); }

protected:
    void drawRowOverlay(QPainter *p, int row, const QRect &rect) override;
};
