#pragma once

#include "converter/ConvFromatController.h"
#include "converter/MediaLoaderController.h"
#include "converter/TBConverterTaskManager.h"
#include "downloads/DownloadNode.h"
#include "downloads/DownloadedItemViewCtrl.h"
#include "shell/MainWindowPage.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QStringList>

#include <functional>
#include <memory>

class DownloadTableView;
class DownloadedRowHost;
class MGHoverButton;
class MTPreviewPlayerWndCtl;
class OutputNameWatcher;
class QAction;
class QLabel;
class QMenu;
class QWidget;
class ThumbnailReceiver;
class ThumbnailServerWraper;
struct Notification;

// The Convert page (tool-bar tag 2): a list of media files to convert, filled by the Add button,
// by drops and by the other pages ("AddToConverterNotification"). Convert All / Convert ask
// the output-format sheet for a preset; each chosen row then gets one job in the page's own
// queue, with encoder settings fitted to its file from a fresh copy of the sheet's block and a
// target reserved in the "convertedPath" folder until its job ends. Rows show progress and can
// be paused, resumed, stopped, played, shown in the file manager, removed from the list (a busy
// row's job is stopped first) and handed to the Transfer page. Removing a row touches no file
// but the partial output of the job it stops.
class ConverterViewCtrl : public QObject,
                          public MainWindowPage,
                          public ConverterPageInterface,
                          public DownloadedItemViewCtrlDelegate,
                          public MediaLoaderControllerDelegate,
                          public ConvFromatControllerDelegate,
                          public TBVideoConverterDelegate
{
    Q_OBJECT
public:
    static constexpr int RowHeight = 81;

    // thumbnails null: the shared service; catalogue null: the global one.
    explicit ConverterViewCtrl(ThumbnailServerWraper *thumbnails = nullptr, EncFormatMgr *catalogue = nullptr,
                               QObject *parent = nullptr);
    ~ConverterViewCtrl() override;

    // MainWindowPage
    QWidget *view() override;
    void setStateInfoLable(QLabel *label) override;
    void startShowView() override;
    bool isHasTask() const override;
    // ConverterPageInterface: std::shared_ptr<DownloadedItem> values (or FileInfoItem ones).
    void addConverterFiles(const QVariantList &items) override;

    // The accepted extensions (the converter's audio and video types without "m4p", "m4b").
    static QStringList supportedExtensions();
    static bool isSupportedPath(const QString &path);

    // Actions.
    void importFile();
    void convertAll();
    void convertItems();
    // Stops the jobs of the selected rows (menu "Stop").
    void stopItems();
    void deleteItems();
    void deleteAll();
    void openOutputFolder();
    void showInFinder();
    void playVideo();
    void transfer();
    // Adds the paths through the import sheet (drops and the Add button end here).
    void importPaths(const QStringList &paths);
    bool validateMenuItem(QAction *item) const;

    // MediaLoaderControllerDelegate
    void mediaLoaderDidEndLoadFiles(const QList<std::shared_ptr<DownloadedItem>> &items) override;
    // ConvFromatControllerDelegate
    void paramWindowClose(int resultCode, const QVariantMap &param) override;
    // TBVideoConverterDelegate: the first row from the top whose job waits.
    std::optional<std::shared_ptr<TBVideoConvertTask>> nextConvertTask() override;
    void getThumbnailPath(const QString &thumbnailPath, const QString &videoPath, qint64 videoID, int typeID);

    // Row callbacks.
    void downloadedItemWillDelete(const DownloadNode::Ptr &node) override;
    void downloadedItemStartConverter(const DownloadNode::Ptr &node) override;
    void taskItemWillDelete(const DownloadNode::Ptr &node) override;
    void taskItemWillPause(const DownloadNode::Ptr &node) override;
    void taskItemWillResume(const DownloadNode::Ptr &node) override;
    void downloadedItemAddToTransfer(const DownloadNode::Ptr &node) override;
    void playWillStart(const DownloadNode::Ptr &node) override;
    void stopTaskItemForDownloadedItem(const DownloadNode::Ptr &node, bool isQuitApp);

    // The output path of a row's conversion, reserved until its job ends; empty when none can be
    // made.
    QString targetFilePathWith(const QString &sourcePath, const QSizeF &size, int formatID);
    static QString convertedFolder();

    // For the list, the tests and the gallery.
    const QList<DownloadNode::Ptr> &converlist() const { return _converlist; }
    const QList<DownloadNode::Ptr> &pendingRows() const { return _tmpConvList; }
    TBConverterTaskManager *taskManager() const { return _taskManager.get(); }
    ConvFromatController *formatSheet();
    DownloadTableView *tableView() const;
    DownloadedRowHost *rowHost() const { return m_rows; }
    QMenu *contextMenu() const { return _menu; }
    QAction *menuItem(const QString &actionName) const;
    QWidget *guideBox() const { return _guideBox; }
    MGHoverButton *addButton() const { return _btnAdd; }
    MGHoverButton *convertAllButton() const { return _btnConvertAll; }
    MGHoverButton *deleteButton() const { return _btnDelete; }
    MGHoverButton *folderButton() const { return _btnOpenFolder; }
    QString stateText() const;
    void selectRows(const QList<int> &rows);
    QList<int> selectedRows() const;
    std::shared_ptr<DownloadedItemViewCtrl> rowForNode(const DownloadNode::Ptr &node);
    void refresh();

    // Where things go that a test replaces: playback, the file panel, the sheet's showing.
    using PlayerOpener = std::function<void(const QList<std::shared_ptr<DownloadedItem>> &items, int index)>;
    void setPlayerOpener(PlayerOpener opener) { m_playerOpener = std::move(opener); }
    using FileChooser = std::function<QStringList()>;
    void setFileChooser(FileChooser chooser) { m_fileChooser = std::move(chooser); }
    using SheetShower = std::function<void(ConvFromatController *)>;
    void setSheetShower(SheetShower shower) { m_sheetShower = std::move(shower); }
    // Paths to import go here instead of the import sheet.
    using Importer = std::function<void(const QStringList &paths)>;
    void setImporter(Importer importer) { m_importer = std::move(importer); }

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadView();
    void buildMenu();
    void showSheet();
    void deleteItemWithKeyDown(const Notification &n);
    void removeRows(const QList<DownloadNode::Ptr> &rows);
    bool convertRow(const DownloadNode::Ptr &node, const IM_EncodeParamEx &sheetBlock, const QVariantMap &param);
    QList<DownloadNode::Ptr> selectedNodes() const;
    void openPlayer(const QList<std::shared_ptr<DownloadedItem>> &items, int index);
    void updateState();
    void conversionDidEnd(DownloadedItem &item, quint32 taskStatus);

    QList<DownloadNode::Ptr> _converlist;
    QStringList _supportConverExt;
    std::unique_ptr<TBConverterTaskManager> _taskManager;
    ThumbnailServerWraper *_thumbnailServerWraper = nullptr;
    std::shared_ptr<ThumbnailReceiver> m_thumbnailReceiver;
    QPointer<MTPreviewPlayerWndCtl> _player;
    EncFormatMgr *m_catalogue = nullptr;
    QPointer<ConvFromatController> _formatWndCtrl;
    QList<DownloadNode::Ptr> _tmpConvList;
    std::shared_ptr<MediaLoaderController> m_loader;
    std::shared_ptr<OutputNameWatcher> m_names;
    qint32 m_nextItemID = 1;
    QString m_folderToOpen; // a finished job asked for its folder once the page is idle

    QPointer<QWidget> m_view;
    DownloadedRowHost *m_rows = nullptr;
    QWidget *_guideBox = nullptr;
    MGHoverButton *_btnAdd = nullptr;
    MGHoverButton *_btnDelete = nullptr;
    MGHoverButton *_btnOpenFolder = nullptr;
    MGHoverButton *_btnConvertAll = nullptr;
    QMenu *_menu = nullptr;
    QPointer<QLabel> _stateInfoLable;

    PlayerOpener m_playerOpener;
    FileChooser m_fileChooser;
    SheetShower m_sheetShower;
    Importer m_importer;
};
