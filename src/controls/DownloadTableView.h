#pragma once

#include <QPointer>
#include <QTableView>

#include <QMenu>

// The table of the running-downloads, library, converter, record and transfer lists. It has no
// cell spacing and draws no selection of its own (the rows' delegates show it), hands the
// pointer's movements over it to its owner, selects the clicked row before its context menu
// (optionally also on an empty table), moves the selection with the arrow keys, and posts
// "DeleteNotification" (Backspace, Delete) and "SpaceDownNotification" (Space) with itself as
// object on the default notification centre.
class DownloadTableView : public QTableView
{
    Q_OBJECT
public:
    explicit DownloadTableView(QWidget *parent = nullptr);

    bool isShowMenuWithEmptyTable() const { return m_showMenuWithEmptyTable; }
    void setIsShowMenuWithEmptyTable(bool on) { m_showMenuWithEmptyTable = on; }
    void setMenu(QMenu *menu) { m_menu = menu; }
    QMenu *menu() const { return m_menu; }

    // Applies the selection rules for a context click at a viewport point and answers the menu
    // to show, or null when none is shown.
    QMenu *menuForEvent(const QPoint &viewportPoint);
    QList<int> selectedRowList() const;

signals:
    void mouseEntered(const QPoint &viewportPoint);
    void mouseMoved(const QPoint &viewportPoint);
    void mouseExited();
    void selectionDidChangeNotification();
    void contextMenuShown(QMenu *menu);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    bool m_showMenuWithEmptyTable = false;
    QPointer<QMenu> m_menu;
};
