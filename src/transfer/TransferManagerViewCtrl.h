#pragma once

#include "converter/MediaLoaderController.h"
#include "downloads/DownloadNode.h"
#include "downloads/DownloadedItemViewCtrl.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>

class DownloadTableView;
class DownloadedRowHost;
class MTPreviewPlayerWndCtl;
class QAction;
class QLabel;
class QMenu;
class QVMobileDeviceItem;
class QWidget;
class ThumbnailReceiver;
class ThumbnailServerWraper;
class TransferDataItem;
class TransferTaskManager;
struct Notification;

// The list of files on the Transfer page: files handed over by the library, Record and Convert
// pages (they wait across restarts in "WaitTransfer.plist") and local files the user adds.
// Rows go to the current device in jobs that one queue runs one at a time; the rows follow
// their files' progress. Removing a row never touches its file, and a transfer already under
// way goes on when its row is deleted. Main thread only.
class TransferManagerViewCtrl : public QObject,
                                public DownloadedItemViewCtrlDelegate,
                                public MediaLoaderControllerDelegate
{
    Q_OBJECT
public:
    using Row = std::shared_ptr<TransferDataItem>;

    // thumbnails null: the shared service; waitListPath empty: "WaitTransfer.plist" in the
    // product's support folder.
    explicit TransferManagerViewCtrl(ThumbnailServerWraper *thumbnails = nullptr, const QString &waitListPath = {},
                                     QObject *parent = nullptr);
    ~TransferManagerViewCtrl() override;

    QWidget *view()
    {
        if (!m_view)
            loadView();
        return m_view;
    }
    DownloadTableView *tableView() const;
    DownloadedRowHost *rowHost() const { return m_rows; }
    QWidget *guideView() const { return m_guideView; }
    QMenu *contextMenu() const { return m_menu; }
    QAction *menuItem(const QString &actionName) const;

    std::shared_ptr<QVMobileDeviceItem> deviceItem() const { return m_deviceItem; }
    void setDeviceItem(const std::shared_ptr<QVMobileDeviceItem> &item) { m_deviceItem = item; }
    void setStateInfoLable(QLabel *label);
    void setStateInfo();
    void cleanStateInfo();
    QString stateText() const;

    void startShowTransferView();
    void refreshTransferTableView();
    // The device went away: rows that do not wait are dropped, finished waiting rows too; the
    // other waiting rows are reset so they can go to the next device.
    void onDeviceDisConnect();
    // The waiting rows' items that are not finished.
    QList<Row> waitTransferItem() const;
    void deleteWaitItem(const Row &item);
    bool hasTransferTask() const;

    // Hand-over from the other pages (std::shared_ptr<DownloadedItem> or FileInfoItem values):
    // the rows wait for a device and are saved.
    void addTransferItem(const QVariantList &items);
    // Adds rows for the items whose files exist; imported rows do not wait.
    void addTransferItem(const QList<std::shared_ptr<FileInfoItem>> &items, bool isImport);

    // Actions.
    void importFile();
    void importPaths(const QStringList &paths);
    void deleteItem();
    void deleteAll();
    void transferAll();
    void transferSeleteItem();
    void playVideo();
    void locateFile();
    void collateFile();
    bool validateMenuItem(QAction *item) const;
    bool checkSelectedFilesExist(const DownloadNode::Ptr &node);

    // Whether the file's extension, in lower case, is one the list takes in.
    static bool isSupportedPath(const QString &path);

    // The wait list: readWaitList gives the rows of the file (none for a missing file); a file
    // that cannot be read is moved aside and reported in *error, never overwritten.
    // writeWaitList replaces the file atomically.
    static QList<Row> readWaitList(const QString &path, QString *error = nullptr);
    static bool writeWaitList(const QString &path, const QList<Row> &rows, QString *error = nullptr);
    static QString defaultWaitListPath();
    QString waitListPath() const { return m_waitListPath; }
    void loadWaitTransferItem();
    bool saveWaitTransferItem();

    // MediaLoaderControllerDelegate
    void mediaLoaderDidEndLoadFiles(const QList<std::shared_ptr<DownloadedItem>> &items) override;
    void getThumbnailPath(const QString &thumbnailPath, const QString &videoPath, qint64 videoID, int typeID);

    // Row callbacks.
    void downloadedItemWillDelete(const DownloadNode::Ptr &node) override;
    void downloadedItemStartTransfer(const DownloadNode::Ptr &node) override;
    void taskItemWillDelete(const DownloadNode::Ptr &node) override;
    void playWillStart(const DownloadNode::Ptr &node) override;

    // For the page, the tests and the gallery.
    const QList<DownloadNode::Ptr> &nodes() const { return m_nodes; }
    QList<Row> rows() const;
    TransferTaskManager *taskManager() const { return m_taskManager.get(); }
    bool isIOS() const { return m_isIOS; }
    void selectRows(const QList<int> &rows);
    QList<int> selectedRows() const;
    std::shared_ptr<DownloadedItemViewCtrl> rowForNode(const DownloadNode::Ptr &node);

    // Where things go that a test replaces: playback, the file panel, the import sheet.
    struct Hooks
    {
        std::function<void(const QList<std::shared_ptr<DownloadedItem>> &items, int index)> openPlayer;
        std::function<QStringList()> chooseFiles;
        std::function<void(const QStringList &paths)> importPaths;
    };
    Hooks &hooks() { return m_hooks; }

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadView();
    void buildMenu();
    void transferItemToDevices(const QList<DownloadNode::Ptr> &nodes);
    void removeNodes(const QList<DownloadNode::Ptr> &nodes);
    void deleteItemWithKeyDown(const Notification &n);
    QList<DownloadNode::Ptr> selectedNodes() const;
    DownloadNode::Ptr appendRow(const Row &item, bool atTop);
    void askThumbnail(const Row &item);
    QRect parentFrame() const;

    QList<DownloadNode::Ptr> m_nodes;  // newest first
    QPointer<QWidget> m_view;
    DownloadedRowHost *m_rows = nullptr;
    QWidget *m_guideView = nullptr;
    QStringList m_supportedExtensions;
    ThumbnailServerWraper *m_thumbnails = nullptr;
    std::shared_ptr<ThumbnailReceiver> m_thumbnailReceiver;
    QPointer<MTPreviewPlayerWndCtl> m_player;
    std::shared_ptr<TransferTaskManager> m_taskManager;
    std::shared_ptr<QVMobileDeviceItem> m_deviceItem;
    std::shared_ptr<MediaLoaderController> m_loader;
    QPointer<QLabel> m_stateInfoLable;
    bool m_isIOS = false;
    QString m_waitListPath;
    QMenu *m_menu = nullptr;
    Hooks m_hooks;
};
