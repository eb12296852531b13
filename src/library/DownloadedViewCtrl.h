#pragma once

#include "controls/SuggestionWindow.h"
#include "converter/MediaLoaderController.h"
#include "downloads/DownloadNode.h"
#include "downloads/DownloadedItemViewCtrl.h"
#include "downloads/LibraryHandoff.h"
#include "library/LibrarySearchFilter.h"
#include "library/MTPreviewPlayerWndCtl.h"

#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <QVariantMap>

#include <memory>

class DataBaseManager;
class DownloadTableView;
class DownloadedRowHost;
class OutputNameWatcher;
class QAction;
class QLabel;
class QMenu;
class QVReelgrabTask;
class QWidget;
class TBConverterTaskManager;
class ThumbnailReceiver;
class ThumbnailServerWraper;
struct Notification;

// What the library page tells its host (the download page). Every operation is optional.
class DownloadedViewCtrlDelegate
{
public:
    virtual ~DownloadedViewCtrlDelegate() = default;
    virtual void downloadedItemCountDidChange() {}
    // Transfer of single files to a device; a host that does not transfer answers false.
    virtual bool answersTransferFileByItems() const { return false; }
    virtual void transferFileByItems(const QList<std::shared_ptr<DownloadedItem>> &items, bool isConverted) {}
    virtual QString deviceName() const { return QString(); }
};

// The library page: the second tab of the download page. Keeps every finished item of
// "Library.db" as a node, groups play-list members under a play-list node, shows one row per
// item (one header row per collapsed play list), filters by the search field and sorts by the
// stored key. Item actions and download-then-convert work on the same arrays and live in
// DownloadedViewCtrlItemActions.cpp and DownloadedViewCtrlConvertMode.cpp.
//
// Main thread only. Rows' views are made when their rows first come into sight, so a large
// library loads and filters without building a widget per item.
class DownloadedViewCtrl : public QObject,
                           public LibraryHandoff,
                           public MediaLoaderControllerDelegate,
                           public DownloadedItemViewCtrlDelegate
{
    Q_OBJECT
public:
    // Sort keys; stored in "SortByKey" as the English menu title ("Name" ...).
    enum class SortKey { Name, Date, Length, Size, Site };
    struct SortDescriptor
    {
        SortKey key = SortKey::Date;
        bool ascending = false;
    };

    static constexpr int PlaylistRowHeight = 117;
    static constexpr int RowHeight = 81;

    // manager null: DataBaseManager::defaultManager(); thumbnails null: the shared service.
    explicit DownloadedViewCtrl(DataBaseManager *manager = nullptr, ThumbnailServerWraper *thumbnails = nullptr,
                                QObject *parent = nullptr);
    ~DownloadedViewCtrl() override;

    // LibraryHandoff
    QWidget *view() override;
    std::shared_ptr<DownloadedItem> addNodeByReelgrabTask(QVReelgrabTask *task) override;
    int displayItemCount() const override { return _displayCount; }
    int getPlaylistCountByID(const QString &playlistID) const override;
    void setSearchFeild(QLineEdit *field) override;
    void setItemCountObserver(std::function<void()> observer) override { m_countObserver = std::move(observer); }
    bool hasConvertingTask() const override { return isHasConvertingTask(); }
    bool playItem(qint32 downloadID) override;

    DownloadedViewCtrlDelegate *delegate() const { return _delegate; }
    void setDelegate(DownloadedViewCtrlDelegate *delegate) { _delegate = delegate; }
    DownloadTableView *tableView() const { return _tableView; }
    DataBaseManager &dataBase() const { return *m_dataBase; }
    ThumbnailServerWraper &thumbnailService() const { return *thumbnailServerWraper_; }
    TBConverterTaskManager *converterTaskManager() const { return _converterTaskManager.get(); }
    const QList<DownloadNode::Ptr> &displayNodeArr() const { return _displayNodeArr; }
    void setDisplayNodeArr(const QList<DownloadNode::Ptr> &nodes) { _displayNodeArr = nodes; }
    const QList<DownloadNode::Ptr> &downloadedNodeArr() const { return _downloadedNodeArr; }
    void setDownloadedNodeArr(const QList<DownloadNode::Ptr> &nodes) { _downloadedNodeArr = nodes; }
    const QList<DownloadNode::Ptr> &playlistNodeArray() const { return _playlistNodeArray; }
    const QList<std::shared_ptr<DownloadedItem>> &loadQueue() const { return downloadedItemArr_; }
    QMenu *contextMenu() const { return m_tableMenu; }
    QMenu *sortMenu() const { return m_sortMenu; }
    // The context-menu item of an action name ("deleteItem:", "sortByName:" ...), or null.
    QAction *menuItem(const QString &actionName) const;
    QLineEdit *searchFeild() const { return searchFeild_; }
    MTPreviewPlayerWndCtl *previewPlayer() const { return mtPreviewPlayerWndCtr_; }

    // Items and nodes.
    static std::shared_ptr<DownloadedItem> createDownloadItemWithTask(QVReelgrabTask *task);
    DownloadNode::Ptr createDownloadNodeWithTask(QVReelgrabTask *task);
    DownloadNode::Ptr addDownloadNodeWithItem(const std::shared_ptr<DownloadedItem> &item, bool isAddFront = false);
    void addPlaylistNode(const DownloadNode::Ptr &node);
    // The node's row controller, made on first use (delegate: the page, display type 1).
    std::shared_ptr<DownloadedItemViewCtrl> rowForNode(const DownloadNode::Ptr &node);
    // Takes the node out of the node list and out of its play list (not out of the database).
    void removeNode(const DownloadNode::Ptr &node);

    // Rows.
    void refreshDownloadedTableView();
    QString getSearchStr() const;
    int numberOfRowsInTableView() const { return int(_displayNodeArr.size()); }
    int heightOfRow(int row) const;
    void willDisplayRow(int row);
    void changeVideoInfomationPicture();
    void detachRowViews();
    QList<int> selectedRows() const;
    QList<DownloadNode::Ptr> selectedNodes() const;
    DownloadNode::Ptr selectedNode() const; // the first selected row's node
    void selectRows(const QList<int> &rows);
    // The row's members: the node, and the rest of a collapsed play list under its header.
    QList<DownloadNode::Ptr> membersOfRow(const DownloadNode::Ptr &node) const;

    // Hover action bar.
    void mouseMoved(const QPoint &viewportPoint);
    void mouseExited();
    void showActionViewForItem(const DownloadNode::Ptr &node, int row);
    DownloadedActionViewCtrl *actionView() const { return _downloadedActionViewCtrl; }
    DownloadedRowHost *rowHost() const { return m_rows; }

    // Play lists.
    void clickExpandMenuItem();
    void clickCollapseMenuItem();

    // Preview playback of the selection.
    void playVideo(QObject *sender = nullptr);
    void doubleClick();
    void playVideoForNotification(const Notification &n);
    void playWillStart(const DownloadNode::Ptr &node) override;
    void startPlayVideo(qint32 downloadID);
    QList<std::shared_ptr<DownloadedItem>> filterMergeDownloadItemForPlayMediaList() const;
    bool canShowMenuPlayBtn() const { return true; }
    bool canPlayCurrentSelectedItem() const { return true; }
    void setPlayMode(int mode);
    void changeMediaListForPlayer() {}
    // Where playback goes; tests put theirs here. Default: the preview player window.
    using PlayerOpener = std::function<void(const QList<std::shared_ptr<DownloadedItem>> &items, int index)>;
    void setPlayerOpener(PlayerOpener opener) { m_playerOpener = std::move(opener); }

    // Thumbnails.
    void delayGetThumbnail();
    void getThumbnailPath(const QString &thumbnailPath, const QString &videoPath, qint64 videoID, int typeID);

    // Look-ups.
    std::shared_ptr<DownloadedItem> findDownloadedItem(qint32 downloadID) const;
    DownloadNode::Ptr findDownloadedNode(qint32 downloadID) const;
    std::shared_ptr<DownloadedItem> findDownloadedItembyVideoPath(const QString &path) const;
    int findDownloadedItemIndex(qint32 downloadID) const;
    void downloadedItemNeedUpdate(const DownloadNode::Ptr &node);

    void popViewDidClickAtRow(int row, int type);
    void createBrowserExtensionInstallView();
    void saveStausWhenWindowClose();

    // Utilities for the download page.
    QVariantMap calcDownloadContext() const;
    QRect rectForDownloadItem(const DownloadNode::Ptr &node) const;
    void dledScrollRowToVisible(int rowHeight);

    // Sorting.
    void sortByName(QAction *sender);
    void sortByDate(QAction *sender);
    void sortByLength(QAction *sender);
    void sortBySize(QAction *sender);
    void sortBySite(QAction *sender);
    void sortByFormat(QAction *sender);
    void sortByResolution(QAction *sender);
    void Ascending(QAction *sender);
    void Descending(QAction *sender);
    void sort(QMenu *menu);
    static SortDescriptor getSortDescriptor();
    static void storeArrayWithDefault(QList<DownloadNode::Ptr> &nodes);
    void beforeSortSelection();
    void clearAndSetItemStatus(QAction *sender);
    void finishSortAction();
    void validateSortMenu();
    void refreshDownloadedTableView(const QList<DownloadNode::Ptr> &nodes);
    const QSet<QString> &beforeSortSelectSet() const { return beforeSortSelectSet_; }

    // Search.
    void controlTextDidChange();

    // Item actions and download-then-convert (DownloadedViewCtrlItemActions.cpp, DownloadedViewCtrlConvertMode.cpp)
    // The operations above call the ones declared here; their signatures are fixed by those calls.
    // The row callbacks of DownloadedItemViewCtrlDelegate (delete, add to converter/transfer,
    // rename end, start/stop conversion) are overridden here too; playWillStart is the page's.
    void setMenuLocalized();
    bool validateMenuItem(QAction *item);
    void menuWillOpen(QMenu *menu);
    bool checkSelectedFilesExist(const DownloadNode::Ptr &node);
    void renameTitle(QObject *sender = nullptr);
    void deleteItem(QObject *sender = nullptr) override;
    void deleteAll(QObject *sender = nullptr);
    void deleteItemWithKeyDown(const Notification &n);
    void collateFile(QObject *sender = nullptr);
    void copyURLAction(QObject *sender = nullptr);
    void goToSourcePage(QObject *sender = nullptr);
    void showInFinder(QObject *sender = nullptr) override;
    void locateFile(QObject *sender = nullptr);
    void converterItem(QObject *sender = nullptr) override;
    void transferItem(QObject *sender = nullptr) override;
    void transferDownloadedFile(QObject *sender = nullptr);
    void transferConvertedFile(QObject *sender = nullptr);
    // The first context-menu item (tag 5000) for a host that transfers to a device: one action,
    // or a submenu with the downloaded and the converted file for a converted item.
    void addTransferMenu();
    // Arrow pop-ups under the show-file and transfer buttons; the click comes back through
    // popViewDidClickAtRow. The window is closed when the pop-up ends.
    void showFileMenuForItem(const DownloadNode::Ptr &node);
    void showTransferMenuForItem(const DownloadNode::Ptr &node);
    // A row's show-file / transfer button (its "tag" property names the row). A button tool
    // tip of fewer than 2 characters asks with the pop-up, a longer one acts at once.
    void clickShowFileButton(QWidget *sender);
    void transferButtonDidClicked(QWidget *sender);
    QWidget *showFileButton() const { return _showFileButton; }
    void setShowFileButton(QWidget *button) { _showFileButton = button; }
    QWidget *transferFileButton() const { return _btnTransferFile; }
    void setTransferFileButton(QWidget *button) { _btnTransferFile = button; }
    // The pop-up shown now, or null.
    SuggestionWindow *popUpWindow() const { return m_popUpWindow; }
    bool isDownAndConvertOneMode() const;
    void loadNextDownloadFile();
    void networkDidEndLoadFiles(const QList<std::shared_ptr<DownloadedItem>> &items, const QVariant &downloadID) override;
    bool isHasConvertingTask() const;
    void stopTaskItemForDownloadedItem(const DownloadNode::Ptr &node, bool isQuitApp);
    // Row callbacks.
    void changeDidEnd(const DownloadNode::Ptr &node, const QString &title) override;
    void downloadedItemWillDelete(const DownloadNode::Ptr &node) override;
    void downloadedItemAddToConverter(const DownloadNode::Ptr &node) override;
    void downloadedItemAddToTransfer(const DownloadNode::Ptr &node) override;
    void downloadedItemStartConverter(const DownloadNode::Ptr &node) override;
    void taskItemWillDelete(const DownloadNode::Ptr &node) override;
    void convertedButtonWillChange(qint32 downloadID, QAbstractButton *button) override;
    // Asks with the delete window, then takes the rows (and collapsed lists' members) out.
    void deleteItemArray(const QList<DownloadNode::Ptr> &nodes);
    static bool deleteFileToTrash(const QString &path);
    static bool isRightFileName(const QString &text);
    static QString rightFileNameLength(const QString &text);
    // Segment files to the Trash (never their folder); answers the files that stayed.
    QStringList deleteAllVideoSegment(const QStringList &segmentPaths);
    QString modifyImportFileName(const QString &path);
    bool isConverting() const;
    // Ends the modal run of a window (as cancelled) and takes it off the screen.
    static void cancelDidEndDelete(QWidget *window);
    // Counts a finished item by length, size, format and resolution ("Id_Vid_*").
    static void halvornHelper(const DownloadedItem &item);
    // Queues the item's conversion with the stored choice; false when it could not be queued.
    bool DownloadedItemToConvertForOneMode(const DownloadNode::Ptr &node);
    // The reserved output path of a conversion (see OneModeOutputNames).
    QString targetFilePathWith(const QString &sourcePath, const QSizeF &size, int formatID);
    bool finishConvertAfterDoSomething(const std::shared_ptr<DownloadedItem> &item);
    static bool LibraryItemIsBusy(const DownloadedItem &item);

private:
    QRect pageWindowFrame() const;
    QList<std::shared_ptr<DownloadedItem>> handOffItems(const QList<DownloadNode::Ptr> &rows) const;
    void postHandOff(QLatin1String name, const QList<DownloadNode::Ptr> &rows, const QVariantMap &userInfo);
    void showArrowPopUp(const DownloadNode::Ptr &node, int type);
    std::shared_ptr<OutputNameWatcher> m_oneModeWatcher; // frees reserved output names
    QString m_folderToOpen;                              // a finished conversion asked for its folder once the library is idle

public:
    // (end of item actions and download-then-convert)

private:
    void loadView();
    void layoutVisibleRows();
    void reloadTable();
    void tellCountChanged();
    void oneModeConversionDidEnd(DownloadedItem &ended, quint32 state);
    void setSortKey(const QString &key, QAction *sender, const char *statisticsKey);
    void buildContextMenu();
    QList<DownloadNode::Ptr> filterNodes(const QList<DownloadNode::Ptr> &nodes, const QString &search);

    DataBaseManager *m_dataBase = nullptr;
    std::function<void()> m_countObserver;
    PlayerOpener m_playerOpener;
    LibrarySearchFilter m_searchFilter;
    std::shared_ptr<ThumbnailReceiver> m_thumbnailReceiver;

    // State shared with the item actions and download-then-convert.
    QPointer<QWidget> m_view;
    DownloadTableView *_tableView = nullptr;
    DownloadedRowHost *m_rows = nullptr; // the table and its row views
    QList<std::shared_ptr<DownloadedItem>> downloadedItemArr_; // load queue, oldest first
    QList<DownloadNode::Ptr> _displayNodeArr;                  // table rows in display order
    QList<DownloadNode::Ptr> _downloadedNodeArr;               // every item node, database order
    QList<DownloadNode::Ptr> _playlistNodeArray;               // one group per play-list identifier
    bool isNetWorkLoader_ = false;
    QPointer<MTPreviewPlayerWndCtl> mtPreviewPlayerWndCtr_;
    ThumbnailServerWraper *thumbnailServerWraper_ = nullptr;
    std::shared_ptr<MediaLoaderController> _loaderController;
    bool isCanConvertNext_ = true;
    QSet<QString> beforeSortSelectSet_;
    QPointer<QLineEdit> searchFeild_;
    DownloadedViewCtrlDelegate *_delegate = nullptr;
    std::unique_ptr<TBConverterTaskManager> _converterTaskManager;
    QPointer<QWidget> _browserExtensionInstallView; // shown while the library is empty
    class IntroduceViewCtrl *_introduceViewCtrl = nullptr;
    QPointer<DownloadedActionViewCtrl> _downloadedActionViewCtrl;
    int _displayCount = 0;
    QMenu *m_tableMenu = nullptr;
    QAction *_menuSortBy = nullptr;
    QMenu *m_sortMenu = nullptr;
    QPointer<QWidget> _showFileButton;
    QPointer<QWidget> _btnTransferFile;
    QPointer<SuggestionWindow> m_popUpWindow;
    QWidget *ConvFromatCtl_ = nullptr;
    int convertIndex_ = 0;
    int convertId_ = 0;
};
