#include "controls/QVOutlineView.h"

#include <QDragLeaveEvent>

QVOutlineView::QVOutlineView(QWidget *parent) : QTreeView(parent)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Highlight, highlightColor());
    pal.setColor(QPalette::HighlightedText, pal.color(QPalette::Text));
    setPalette(pal);
    setDropIndicatorShown(false);
}

void QVOutlineView::setDragFocusIndexs(const Range &r)
{
    m_dragFocusIndexs = r;
    viewport()->update();
}

void QVOutlineView::dragLeaveEvent(QDragLeaveEvent *event)
{
    // The standard drag-exit handling is not used: only the drop target is cleared.
    setDragFocusIndexs(Range{NotFoundLocation, 0});
    event->accept();
    viewport()->update();
}
