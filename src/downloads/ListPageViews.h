#pragma once

#include <QList>
#include <QStringList>
#include <QPair>
#include <QString>

#include "downloads/DownloadNode.h"

#include <functional>
#include <memory>

class DownloadedItemViewCtrl;
class DownloadedRowHost;
class DownloadedItemViewCtrlDelegate;
class MGHoverButton;
class QAction;
class QEvent;
class QHBoxLayout;
class QMenu;
class QTableView;
class QVBoxLayout;
class QWidget;
struct Notification;

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

// The extensions the Convert and Transfer lists take in: the converter's audio and video types
// without "m4p" and "m4b".
QStringList importExtensions();
// Before a page goes: its rows stop calling it.
void detachRows(const QList<DownloadNode::Ptr> &nodes);
// After the list changed: the table reloads; over an empty list the guide covers the table and
// the menu is off, otherwise the guide hides and the menu is on.
void reloadWithGuide(DownloadedRowHost *rows, QWidget *guide, QMenu *menu, bool empty);
// The first row of the file gets the thumbnail and is redrawn.
void applyThumbnail(const QList<DownloadNode::Ptr> &nodes, const QString &thumbnailPath, const QString &videoPath);
// Delete pressed over a list: true when it was this page's table. A press in another page's
// list beeps while this page is on screen.
bool isOwnDeleteKey(const Notification &n, const DownloadedRowHost *rows, const QWidget *view);

// Files dragged over a list: while no modal window runs, the drag is taken (copy) when some
// local file passes `accepts`; a drop hands the cleaned paths that pass to `dropped`. True when
// the event was a drag or drop (and so is handled), false for any other event.
bool handleFileDrop(QEvent *event, const std::function<bool(const QString &path)> &accepts,
                    const std::function<void(const QStringList &paths)> &dropped);

// The rows of a list page that takes dropped files: the host over `nodes`, its table offering
// the menu even when empty and watched by `filter` (see filterListEvent), added to `layout`.
DownloadedRowHost *droppableRows(QWidget *root, QVBoxLayout *layout, const QList<DownloadNode::Ptr> &nodes,
                                 std::function<std::shared_ptr<DownloadedItemViewCtrl>(const DownloadNode::Ptr &)> rowFor,
                                 QObject *filter);

// The event filter of a list page with a guide: the guide keeps to the table's frame, and files
// dropped on the table or the guide go through handleFileDrop. True when the event is taken.
bool filterListEvent(QObject *watched, QEvent *event, DownloadedRowHost *rows, QWidget *guide,
                     const std::function<bool(const QString &path)> &accepts,
                     const std::function<void(const QStringList &paths)> &dropped);

// The action named so (object name, as "deleteItem:") in the menu or its submenus, or null.
QAction *actionNamed(const QMenu *menu, const QString &objectName);

} // namespace ListPageViews
