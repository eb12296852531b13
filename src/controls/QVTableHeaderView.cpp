#include "controls/QVTableHeaderView.h"

#include "controls/TableCellDelegate.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

QVTableHeaderView::QVTableHeaderView(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setMinimumHeight(0);
    setFixedHeight(m_height);
}

QVTableViewHeaderCell &QVTableHeaderView::cell(int logicalIndex)
{
    while (m_cells.size() <= logicalIndex) {
        const int section = int(m_cells.size());
        const QString title = model() ? model()->headerData(section, Qt::Horizontal).toString() : QString();
        m_cells.append(QVTableViewHeaderCell(title.isEmpty() ? QString() : QCoreApplication::translate("Table", title.toUtf8().constData())));
    }
    return m_cells[logicalIndex];
}

void QVTableHeaderView::resetCells()
{
    m_cells.clear();
    const int n = model() ? model()->columnCount() : 0;
    for (int i = 0; i < n; ++i)
        cell(i);
    viewport()->update();
}

int QVTableHeaderView::sectionForIdentifier(const QString &identifier) const
{
    if (!model())
        return -1;
    for (int i = 0; i < model()->columnCount(); ++i) {
        const QVariant id = model()->headerData(i, Qt::Horizontal, TableCellRoles::ColumnIdentifierRole);
        if (id.toString() == identifier)
            return i;
    }
    return -1;
}

QSize QVTableHeaderView::sizeHint() const { return QSize(QHeaderView::sizeHint().width(), m_height); }

void QVTableHeaderView::setHeaderHeight(int height)
{
    m_height = height;
    setFixedHeight(height);
}

void QVTableHeaderView::paintEvent(QPaintEvent *event)
{
    // The area right of the last column gets the look of an empty header.
    QPainter p(viewport());
    const int end = length() - offset();
    if (end < viewport()->width() && count() > 0) {
        QVTableViewHeaderCell blank = const_cast<QVTableHeaderView *>(this)->cell(0);
        blank.setTitle(QString());
        blank.setHeadImage(QImage());
        blank.draw(&p, QRectF(end, 0, viewport()->width() - end, height()), false);
    }
    p.end();
    QHeaderView::paintEvent(event);
}

void QVTableHeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    auto *self = const_cast<QVTableHeaderView *>(this);
    const QVTableViewHeaderCell &c = self->cell(logicalIndex);
    c.draw(painter, rect, m_highlighted == logicalIndex);
    if (isSortIndicatorShown() && sortIndicatorSection() == logicalIndex)
        c.drawSortIndicator(painter, rect, sortIndicatorOrder() == Qt::AscendingOrder);
}

void QVTableHeaderView::setHighlightedSection(int section)
{
    m_highlighted = section;
    viewport()->update();
}

void QVTableHeaderView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        setHighlightedSection(logicalIndexAt(event->position().toPoint()));
    QHeaderView::mousePressEvent(event);
}

void QVTableHeaderView::mouseReleaseEvent(QMouseEvent *event)
{
    setHighlightedSection(-1);
    QHeaderView::mouseReleaseEvent(event);
}
