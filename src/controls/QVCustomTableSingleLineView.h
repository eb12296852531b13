#pragma once

#include "controls/QVCustomTableView.h"

// A styled table that tints each unselected odd row that shows something.
class QVCustomTableSingleLineView : public QVCustomTableView
{
    Q_OBJECT
public:
    using QVCustomTableView::QVCustomTableView;
    static QColor oddRowColor() { return QColor(236, 237, 239, int(0.6 * 255)); }

protected:
    void drawRowBackground(QPainter *p, int row, const QRect &rect, bool selected) override;
};
