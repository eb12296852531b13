#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include "downloads/DownloadNode.h"

#include <functional>
#include <memory>

class DownloadedItemViewCtrl;
class DownloadedItemViewCtrlDelegate;
class MGHoverButton;
class QAction;
class QHBoxLayout;
class QMenu;
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

// The white bar of buttons above a list, 56 high with a line below; its layout is returned.
QHBoxLayout *toolBar(QWidget *root, const QString &objectName, QWidget **bar);
// A 32 by 32 icon button of the main slice sheet ("normal,hover,down,disabled" slice names).
MGHoverButton *toolButton(QWidget *bar, const QString &toolTip, const QString &slices, const QString &objectName);

// The guide over an empty list: a title and, side by side, a picture of the guide sheet with
// its line of text under it for each step (slice name, text).
QWidget *guideBox(QWidget *root, const QString &objectName, const QString &title, const QList<QPair<QString, QString>> &steps);

// The node's row controller, made on first use with the page as delegate and the display type.
std::shared_ptr<DownloadedItemViewCtrl> rowOf(const DownloadNode::Ptr &node, DownloadedItemViewCtrlDelegate *page, quint32 displayType);

// Adds an action per entry (title already translated, object name, what it does).
struct MenuEntry
{
    QString title;
    QString objectName;
    std::function<void()> run;
};
void addActions(QMenu *menu, const QList<MenuEntry> &entries);

// "%d items" with the count; empty for none.
QString itemCountText(qsizetype count);

// The action named so (object name, as "deleteItem:") in the menu or its submenus, or null.
QAction *actionNamed(const QMenu *menu, const QString &objectName);

} // namespace ListPageViews
