#pragma once

#include "controls/QVTableViewHeaderCell.h"

#include <QHeaderView>
#include <QList>

// The column header of the drawn tables: one QVTableViewHeaderCell per section draws it.
class QVTableHeaderView : public QHeaderView
{
    Q_OBJECT
public:
    explicit QVTableHeaderView(QWidget *parent = nullptr);

    // The cell of a section, made from the model's header title when first asked for.
    QVTableViewHeaderCell &cell(int logicalIndex);
    // Makes a new cell for every column from the model's titles (translated when not empty).
    void resetCells();
    int sectionForIdentifier(const QString &identifier) const;

    QSize sizeHint() const override;
    void setHeaderHeight(int height);
    int headerHeight() const { return m_height; }
    // The section drawn highlighted (pressed); -1 for none.
    void setHighlightedSection(int section);
    int highlightedSection() const { return m_highlighted; }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    mutable QList<QVTableViewHeaderCell> m_cells;
    int m_height = 26;
    int m_highlighted = -1;
};
