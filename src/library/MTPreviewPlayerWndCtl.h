#pragma once

#include "library/MTPreviewPlayerViewCtl.h"

#include <QRect>
#include <QWidget>

class QAction;
class QEventLoop;
class QMenu;

// The preview player's window: plays a list of DownloadedItems one after another, sized to
// the video. setMediaListWithDownloadedItems() shows it modally and returns when it closes.
// Give it the window it blocks as parent: it is then modal to that window and stays above it.
class MTPreviewPlayerWndCtl : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MinWidth = 580;
    static constexpr int ExtraHeight = 32 + 62;

    explicit MTPreviewPlayerWndCtl(QWidget *parent = nullptr);
    ~MTPreviewPlayerWndCtl() override;

    MTPreviewPlayerViewCtl *mtPreviewPlayerViewCtl() const { return m_view; }
    QMenu *playerMenuitem() const { return m_playerMenu; }

    // Shows the window, plays from index and runs a modal loop until the window closes.
    void setMediaListWithDownloadedItems(const MTPreviewPlayerViewCtl::ItemList &items, int index);
    // The same without the loop: false (nothing shown) for an empty list, a bad index or a
    // missing first file.
    bool openMediaList(const MTPreviewPlayerViewCtl::ItemList &items, int index);
    void changedMediaListWithNewSortDownloadedItems(const MTPreviewPlayerViewCtl::ItemList &items);
    void playView();
    void setPlayPath(const QString &) {}

    void mtPlayAndPause();
    void mtNext();
    void mtPrevious();
    void mtStepForward();
    void mtStepBackward();
    void mtPlayItemOnce();
    void mtRepeatItem();
    void mtPlayListOnce();
    // Titles, ticks and enabling of the player menu, as before it opens.
    void validateMenuItems();

    void videoRealSizeDidReturn(int width, int height);
    // The window frame for a video of the given size: min size out, frame returned.
    static QRect frameForVideoSize(const QSizeF &video, const QRect &current, const QRect &visible, QSize *minimum);

signals:
    void closed();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void LoadPlyerView();
    void setModeChecks(int mode);

    MTPreviewPlayerViewCtl *m_view = nullptr;
    QMenu *m_playerMenu = nullptr;
    QAction *m_playPauseAction = nullptr;
    QAction *m_modeActions[3] = {};
    QEventLoop *m_modalLoop = nullptr;
};
