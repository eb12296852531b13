#pragma once

#include "converter/MediaLoaderController.h"
#include "downloads/DownloadNode.h"
#include "downloads/DownloadedItemViewCtrl.h"
#include "library/LibrarySearchFilter.h"
#include "recording/RecordListStore.h"
#include "recording/ScreenRecordCtrlDelegate.h"
#include "shell/MainWindowPage.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>

class DownloadTableView;
class DownloadedRowHost;
class MGHoverButton;
class MTPreviewPlayerWndCtl;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QWidget;
class ScreenRecordCtrl;
class ScreenRecordServer;
class ThumbnailReceiver;
class ThumbnailServerWraper;
struct Notification;

// The Record page (tool-bar tag 1): the user's screen recordings, newest first by default.
// Record starts a recording; each finished one is imported and put at the top. Rows play,
// rename, go to the Trash (with their files when asked), and go on to the Convert and Transfer
// pages; the list is searched by name and sorted by name, date, length or size, and kept in
// "RecordData.data" between runs. Main thread.
class RecordViewCtrl : public QObject,
                       public MainWindowPage,
                       public DownloadedItemViewCtrlDelegate,
                       public MediaLoaderControllerDelegate,
                       public ScreenRecordCtrlDelegate
{
    Q_OBJECT
public:
    enum class SortKey { Name, Date, Length, Size, Site };

    // store path empty: the product folder's; thumbnails null: the shared service; server null:
    // the shared recorder server.
    explicit RecordViewCtrl(const QString &storePath = QString(), ThumbnailServerWraper *thumbnails = nullptr,
                            ScreenRecordServer *server = nullptr, QObject *parent = nullptr);
    ~RecordViewCtrl() override;

    // MainWindowPage
    QWidget *view() override;
    void setStateInfoLable(QLabel *label) override;
    void startShowView() override;
    bool isHasTask() const override { return m_recordBusy; }

    // Actions of the buttons and the context menu.
    void Record();
    // The Record button's arrow: its menu, and the region recording it offers.
    void showRecordMenu();
    void RecordRegion();
    void playVideo();
    void rename();
    void fileLocation();
    void deleteItem();
    void DeleteAll();
    void clearInvalidFile();
    void ConvertItems();
    void transferItem();
    void openFolder();
    void sortBy(SortKey key);
    void sortByOrder(bool ascending);
    bool validateMenuItem(QAction *item) const;

    // ScreenRecordCtrlDelegate
    void recordDidEnd(ScreenRecordCtrl *ctrl, const QString &outFile) override;
    void cropWillClose(ScreenRecordCtrl *ctrl) override;
    // MediaLoaderControllerDelegate
    void mediaLoaderDidEndLoadFiles(const QList<std::shared_ptr<DownloadedItem>> &items) override;
    // Rows.
    void playWillStart(const DownloadNode::Ptr &node) override;
    void downloadedItemWillDelete(const DownloadNode::Ptr &node) override;
    void downloadedItemAddToConverter(const DownloadNode::Ptr &node) override;
    void downloadedItemAddToTransfer(const DownloadNode::Ptr &node) override;
    void changeDidEnd(const DownloadNode::Ptr &node, const QString &title) override;
    void getThumbnailPath(const QString &thumbnailPath, const QString &videoPath, qint64 videoID, int typeID);

    void refreshRecordTableView();
    bool saveList();
    static QString recordFolder();
    static QString thumbnailFolder();
    // The stored sort, reset to Date/Descending when the stored key is none of the titles.
    static std::pair<SortKey, bool> sortDescriptor();

    // For the tests and the pictures.
    const QList<DownloadNode::Ptr> &recordList() const { return _recordlist; }
    const QList<DownloadNode::Ptr> &displayList() const { return _displaylist; }
    QLineEdit *searchField() const { return _searchField; }
    MGHoverButton *recordButton() const { return _btnRecord; }
    MGHoverButton *recordArrowButton() const { return _btnRecordArrow; }
    QMenu *recordMenu() const { return _recordMenu; }
    QWidget *guideBox() const { return _guideBox; }
    DownloadTableView *tableView() const;
    DownloadedRowHost *rowHost() const { return m_rows; }
    QMenu *contextMenu() const { return _menu; }
    QAction *menuItem(const QString &actionName) const;
    QList<int> selectedRows() const;
    void selectRows(const QList<int> &rows);
    QString stateText() const;
    QString loadNotice() const { return m_loadNotice; }
    ScreenRecordCtrl *screenRecordCtrl() const { return _screenRecordCtrl.get(); }

    // What tests replace: playback, the import of a finished recording, the Trash, and the
    // questions the page asks (answered with the button number).
    using PlayerOpener = std::function<void(const QList<std::shared_ptr<DownloadedItem>> &items, int index)>;
    void setPlayerOpener(PlayerOpener opener) { m_playerOpener = std::move(opener); }
    using Importer = std::function<void(const QStringList &paths)>;
    void setImporter(Importer importer) { m_importer = std::move(importer); }
    using Trasher = std::function<bool(const QString &path, QString *error)>;
    void setTrasher(Trasher trasher) { m_trasher = std::move(trasher); }
    using Messenger = std::function<void(const QString &message)>;
    void setMessenger(Messenger messenger) { m_messenger = std::move(messenger); }
    // Reads the takes found at start (default: the media loader, without a sheet) and answers
    // the readable ones. The page looks for them once, right after it was made.
    using ItemsDone = std::function<void(const QList<std::shared_ptr<DownloadedItem>> &items)>;
    using TakeReader = std::function<void(const QStringList &paths, ItemsDone done)>;
    static void setTakeReaderForTesting(TakeReader reader);
    // Whether the look for unfinished takes has ended.
    bool recoveryDone() const { return m_recoveryDone; }

private:
    void loadView();
    void buildMenu();
    void loadList();
    void recoverUnfinishedTakes();
    void takesRecovered(const QStringList &paths, const QList<std::shared_ptr<DownloadedItem>> &items);
    DownloadNode::Ptr addItem(const std::shared_ptr<DownloadedItem> &item, bool atTop);
    std::shared_ptr<DownloadedItemViewCtrl> rowForNode(const DownloadNode::Ptr &node);
    void requestThumbnail(const std::shared_ptr<DownloadedItem> &item);
    bool checkSelectedFilesExist(const std::shared_ptr<DownloadedItem> &item);
    void removeNode(const DownloadNode::Ptr &node);
    void deleteNodes(const QList<DownloadNode::Ptr> &nodes, int answer);
    void handOff(const QList<std::shared_ptr<DownloadedItem>> &items, bool toConverter);
    QList<DownloadNode::Ptr> selectedNodes() const;
    void rememberSelection();
    void finishSort();
    void setRecordButtonBusy(bool busy);
    void startRecording(bool region);
    void deleteItemWithKeyDown(const Notification &n);
    void tell(const QString &message);
    void updateState();
    QRect windowFrame() const;

    RecordListStore m_store;
    std::unique_ptr<ScreenRecordCtrl> _screenRecordCtrl;
    ScreenRecordServer *m_server = nullptr;
    QList<DownloadNode::Ptr> _recordlist;
    QList<DownloadNode::Ptr> _displaylist;
    ThumbnailServerWraper *_thumbnailServerWraper = nullptr;
    std::shared_ptr<ThumbnailReceiver> m_thumbnailReceiver;
    QPointer<MTPreviewPlayerWndCtl> _player;
    std::shared_ptr<MediaLoaderController> m_loader;
    std::shared_ptr<MediaLoaderController> m_recoveryLoader;
    std::unique_ptr<MediaLoaderControllerDelegate> m_recoveryDelegate;
    bool m_recoveryDone = false;
    QSet<QString> beforeSortSelectSet_;
    LibrarySearchFilter m_filter;
    qint32 m_nextItemID = 1;
    bool m_recordBusy = false;
    QString m_loadNotice;

    QPointer<QWidget> m_view;
    DownloadedRowHost *m_rows = nullptr;
    QWidget *_guideBox = nullptr;
    QLineEdit *_searchField = nullptr;
    MGHoverButton *_btnRecord = nullptr;
    MGHoverButton *_btnRecordArrow = nullptr;
    QMenu *_recordMenu = nullptr;
    MGHoverButton *_btnDelete = nullptr;
    MGHoverButton *_btnOpenFolder = nullptr;
    MGHoverButton *_btnConvert = nullptr;
    MGHoverButton *_btnTransfer = nullptr;
    QMenu *_menu = nullptr;
    QMenu *_menuSortBy = nullptr;
    QPointer<QLabel> _stateInfoLable;

    PlayerOpener m_playerOpener;
    Importer m_importer;
    Trasher m_trasher;
    Messenger m_messenger;
};
