#include "downloads/ListPageViews.h"

#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

namespace ListPageViews {

QVBoxLayout *whitePageLayout(QWidget *root, const QString &objectName)
{
    root->setObjectName(objectName);
    root->setAutoFillBackground(true);
    QPalette pal = root->palette();
    pal.setColor(QPalette::Window, Qt::white);
    root->setPalette(pal);
    auto *layout = new QVBoxLayout(root);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

void setupRowTable(QTableView *table)
{
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setShowGrid(false);
    table->setFrameShape(QFrame::NoFrame);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    table->setMouseTracking(true);
}

} // namespace ListPageViews
