#pragma once

#include <QString>

class QTableView;
class QVBoxLayout;
class QWidget;

// What the download and library pages' views have in common.
namespace ListPageViews {

// Names root, paints it white and gives it a vertical layout without margins or spacing.
QVBoxLayout *whitePageLayout(QWidget *root, const QString &objectName);

// A table that only carries row widgets: no headers or grid, one stretched column, whole rows
// selected (several at once), nothing edited in place, scrolled by pixels, mouse tracked.
void setupRowTable(QTableView *table);

} // namespace ListPageViews
