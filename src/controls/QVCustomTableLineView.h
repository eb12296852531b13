#pragma once

#include "controls/QVCustomTableView.h"

// A styled table that can rule a dark line under each odd row that shows something.
class QVCustomTableLineView : public QVCustomTableView
{
    Q_OBJECT
public:
    using QVCustomTableView::QVCustomTableView;
    bool drawLine() const { return m_drawLine; }
    void setDrawLine(bool on) { m_drawLine = on; viewport()->update(); }

protected:
    void drawRowOverlay(QPainter *p, int row, const QRect &rect) override;

private:
    bool m_drawLine = false;
};
