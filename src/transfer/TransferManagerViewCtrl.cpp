#include "transfer/TransferManagerViewCtrl.h"

#include "controls/DownloadTableView.h"
#include "downloads/DeleteModalWindowCtr.h"
#include "downloads/DownloadedItem.h"
#include "downloads/DownloadedRowHost.h"
#include "downloads/FileInfoItem.h"
#include "downloads/ListPageViews.h"
#include "downloads/MediaLoaderWnd.h"
#include "library/MTPreviewPlayerWndCtl.h"
#include "library/ThumbnailCallback.h"
#include "library/ThumbnailServerWraper.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/AppPaths.h"
#include "platform/KeyedArchiver.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/PropertyList.h"
#include "platform/SafeFileReader.h"
#include "platform/log/ScribletLogger.h"
#include "shell/CommonFun.h"
#include "shell/CommonFunDesktop.h"
#include "shell/MGMessageBox.h"
#include "shell/WKDataColleciton.h"
#include "devices/DeviceTypes.h"
#include "transfer/QVMobileDeviceItem.h"
#include "transfer/TransferDataItem.h"
#include "transfer/TransferFileItem.h"
#include "transfer/TransferMediaTask.h"
#include "transfer/TransferTaskManager.h"

#include <QAction>
#include <QApplication>
#include <QCborArray>
#include <QCborMap>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMutex>
#include <QVBoxLayout>

namespace {

QString tr1(const char *english) { return MainBundle::localizedString(english); }

bool fileExists(const QString &path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

// The wait list is read and written under one process-wide lock.
QMutex &waitListLock()
{
    static QMutex lock;
    return lock;
}

const QString ListClass = QStringLiteral("NSArray");
const QString ItemsKey = QStringLiteral("NS.objects");
const QString RowClass = QStringLiteral("TransferDataItem");

std::shared_ptr<TransferDataItem> rowOf(const DownloadNode::Ptr &node)
{
    return node ? std::dynamic_pointer_cast<TransferDataItem>(node->downloadItem()) : nullptr;
}

bool taskIn(const DownloadNode::Ptr &node, std::initializer_list<quint32> states)
{
    const auto item = node ? node->downloadItem() : nullptr;
    return item && std::find(states.begin(), states.end(), item->taskStatus()) != states.end();
}

// Library states during which the row's file is still being made.
bool fileBusy(const DownloadNode::Ptr &node)
{
    const auto item = node ? node->downloadItem() : nullptr;
    const qint32 s = item ? item->status() : 0;
    return s == 1 || s == 2 || s == 4;
}

// Hands out numbers that tell live rows apart (thumbnail answers are matched by them).
qint32 nextRowIdentity()
{
    static std::atomic<qint32> next{1};
    return next++;
}

} // namespace

TransferManagerViewCtrl::TransferManagerViewCtrl(ThumbnailServerWraper *thumbnails, const QString &waitListPath,
                                                 QObject *parent)
    : QObject(parent)
    , m_supportedExtensions(ListPageViews::importExtensions())
    , m_thumbnails(thumbnails ? thumbnails : &ThumbnailServerWraper::share())
    , m_taskManager(std::make_shared<TransferTaskManager>())
    , m_waitListPath(waitListPath.isEmpty() ? defaultWaitListPath() : waitListPath)
{
    m_thumbnailReceiver = std::make_shared<ThumbnailCallback>(
        this, [this](const QString &thumb, const QString &video, qint64 id, int type) { getThumbnailPath(thumb, video, id, type); });
    m_thumbnails->setTransferDelegate(m_thumbnailReceiver);
    loadWaitTransferItem();
    NotificationCenter &center = NotificationCenter::defaultCenter();
    // A waiting row was written to the device: it leaves the wait list.
    center.addObserver(this, QStringLiteral("FennixTransferDataItemTaskFinish"), [this](const Notification &) {
        saveWaitTransferItem();
    });
    center.addObserver(this, NotificationNames::DeleteNotification, [this](const Notification &n) { deleteItemWithKeyDown(n); });
    // Space over the list is taken and left alone.
    center.addObserver(this, NotificationNames::SpaceDownNotification, [](const Notification &) {});
}

TransferManagerViewCtrl::~TransferManagerViewCtrl()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    ListPageViews::detachRows(m_nodes);
    if (m_loader)
        m_loader->setDelegate(nullptr);
    delete m_player.data();
    delete m_view.data();
}

bool TransferManagerViewCtrl::isSupportedPath(const QString &path)
{
    return ListPageViews::importExtensions().contains(QFileInfo(path).suffix().toLower());
}

// ---------------------------------------------------------------------------------------------
// The wait list

QString TransferManagerViewCtrl::defaultWaitListPath()
{
    return QDir(AppPaths::productSupport()).filePath(QStringLiteral("WaitTransfer.plist"));
}

QList<TransferManagerViewCtrl::Row> TransferManagerViewCtrl::readWaitList(const QString &path, QString *error)
{
    QList<Row> rows;
    QFile file(path);
    if (!file.exists())
        return rows;
    QString why;
    if (QString refused; !SafeFileReader::open(file, &refused)) {
        why = refused;
    } else if (file.size() > KeyedUnarchiver::MaxArchiveSize) {
        why = QStringLiteral("the file is too large");
    } else {
        QCborValue root;
        if (!KeyedUnarchiver::parseCbor(file.readAll(), root, &why)) {
            // why is set
        } else if (!root.isMap() || root.toMap().value(QStringLiteral("$class")).toString() != ListClass
                   || !root.toMap().value(ItemsKey).isArray()) {
            why = QStringLiteral("not a list of transfer rows");
        } else {
            for (const QCborValue &v : root.toMap().value(ItemsKey).toArray()) {
                if (!v.isMap())
                    continue;
                KeyedUnarchiver child(v.toMap());
                if (child.className() != RowClass)
                    continue;
                auto row = std::make_shared<TransferDataItem>();
                row->initWithCoder(child);
                if (!row->filePath().isEmpty())
                    rows << row;
            }
        }
    }
    file.close();
    if (!why.isEmpty()) {
        // What is left of the file is kept for the user; the list starts empty.
        const QString aside = PropertyList::moveAside(path);
        rows.clear();
        why = QStringLiteral("%1 (kept as %2)").arg(why, aside);
        if (error)
            *error = why;
    }
    return rows;
}

bool TransferManagerViewCtrl::writeWaitList(const QString &path, const QList<Row> &rows, QString *error)
{
    KeyedArchiver archiver(ListClass);
    archiver.encodeObjectList(ItemsKey, rows);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return PropertyList::writeData(path, archiver.archivedData(), error);
}

void TransferManagerViewCtrl::loadWaitTransferItem()
{
    QList<Row> rows;
    {
        QMutexLocker lock(&waitListLock());
        QString error;
        rows = readWaitList(m_waitListPath, &error);
        if (!error.isEmpty())
            ScribletLogError(QStringLiteral("load wait transfer Item exception:%1").arg(error));
    }
    m_nodes.clear();
    for (const Row &row : std::as_const(rows)) {
        row->setIsWaitItem(true);
        row->setFileID(nextRowIdentity());
        appendRow(row, false);
    }
}

bool TransferManagerViewCtrl::saveWaitTransferItem()
{
    QList<Row> waiting;
    for (const DownloadNode::Ptr &node : std::as_const(m_nodes))
        if (const Row row = rowOf(node); row && row->isWaitItem() && row->taskStatus() != DownloadedItem::TaskFinished)
            waiting << row;
    QMutexLocker lock(&waitListLock());
    QString error;
    const bool ok = writeWaitList(m_waitListPath, waiting, &error);
    ScribletLogInfo(QStringLiteral("saveTransferTask success : %1").arg(ok ? 1 : 0));
    if (!ok)
        ScribletLogError(QStringLiteral("save wait transfer Item exception:%1").arg(error));
    return ok;
}

// ---------------------------------------------------------------------------------------------
// View

void TransferManagerViewCtrl::loadView()
{
    auto *root = new QWidget;
    m_view = root;
    QVBoxLayout *layout = ListPageViews::whitePageLayout(root, QStringLiteral("TransferManagerViewCtrl"));
    m_rows = ListPageViews::droppableRows(root, layout, m_nodes, [this](const DownloadNode::Ptr &node) { return rowForNode(node); },
                                          this);
    connect(m_rows, &DownloadedRowHost::rowDoubleClicked, this, [this] { playVideo(); });

    m_guideView = ListPageViews::guideBox(root, QStringLiteral("TransferGuide"), tr1("Two Ways to Transfer Files"),
                                          {{QStringLiteral("transfer1"), tr1("Click 'Add' or drag and drop to add files")},
                                           {QStringLiteral("transfer2"), tr1("Transfer the downloaded/recorded files")}});
    m_guideView->setAcceptDrops(true);
    m_guideView->installEventFilter(this);
    buildMenu();
    refreshTransferTableView();
}

void TransferManagerViewCtrl::buildMenu()
{
    m_menu = new QMenu(m_view);
    ListPageViews::addActions(m_menu, {
                                          {tr1("Transfer"), QStringLiteral("transferSeleteItem:"), [this] { transferSeleteItem(); }},
                                          {tr1("Play"), QStringLiteral("playVideo:"), [this] { playVideo(); }},
                                          {tr1("Show in File Manager"), QStringLiteral("locateFile:"), [this] { locateFile(); }},
                                          {tr1("Delete"), QStringLiteral("deleteItem:"), [this] { deleteItem(); }},
                                          {tr1("Delete All"), QStringLiteral("deleteAll:"), [this] { deleteAll(); }},
                                          {tr1("Clear Invalid Files"), QStringLiteral("collateFile:"), [this] { collateFile(); }},
                                      });
    connect(m_menu, &QMenu::aboutToShow, this, [this] {
        for (QAction *a : m_menu->actions())
            a->setEnabled(validateMenuItem(a));
    });
}

QAction *TransferManagerViewCtrl::menuItem(const QString &actionName) const
{
    return m_menu ? ListPageViews::actionNamed(m_menu, actionName) : nullptr;
}

DownloadTableView *TransferManagerViewCtrl::tableView() const { return m_rows ? m_rows->tableView() : nullptr; }

std::shared_ptr<DownloadedItemViewCtrl> TransferManagerViewCtrl::rowForNode(const DownloadNode::Ptr &node)
{
    if (!node || !node->downloadItem())
        return nullptr;
    if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
        return row;
    auto row = DownloadedItemViewCtrl::create(node, this, DownloadedItemViewCtrl::Transfer);
    row->setIsTaskNeedCancle(!m_isIOS);
    return row;
}

QList<TransferManagerViewCtrl::Row> TransferManagerViewCtrl::rows() const
{
    QList<Row> out;
    for (const DownloadNode::Ptr &node : m_nodes)
        if (Row row = rowOf(node))
            out << row;
    return out;
}

void TransferManagerViewCtrl::refreshTransferTableView()
{
    ListPageViews::reloadWithGuide(m_rows, m_guideView, m_menu, m_nodes.isEmpty());
    setStateInfo();
}

QString TransferManagerViewCtrl::stateText() const { return ListPageViews::itemCountText(m_nodes.size()); }

void TransferManagerViewCtrl::setStateInfo()
{
    if (m_stateInfoLable)
        m_stateInfoLable->setText(stateText());
}

void TransferManagerViewCtrl::cleanStateInfo()
{
    if (m_stateInfoLable)
        m_stateInfoLable->setText(QString());
}

void TransferManagerViewCtrl::setStateInfoLable(QLabel *label) { m_stateInfoLable = label; }

void TransferManagerViewCtrl::startShowTransferView()
{
    m_isIOS = m_deviceItem && m_deviceItem->platform() == DeviceTransferPlatform::iOS;
    for (const DownloadNode::Ptr &node : std::as_const(m_nodes))
        if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
            row->setIsTaskNeedCancle(!m_isIOS);
    refreshTransferTableView();
}

QList<int> TransferManagerViewCtrl::selectedRows() const { return m_rows ? m_rows->selectedRows() : QList<int>(); }

QList<DownloadNode::Ptr> TransferManagerViewCtrl::selectedNodes() const
{
    return m_rows ? m_rows->selectedNodes() : QList<DownloadNode::Ptr>();
}

void TransferManagerViewCtrl::selectRows(const QList<int> &rows)
{
    if (m_rows)
        m_rows->selectRows(rows);
}

QRect TransferManagerViewCtrl::parentFrame() const
{
    return m_view && m_view->window() ? m_view->window()->frameGeometry() : QRect();
}

// ---------------------------------------------------------------------------------------------
// Adding rows

DownloadNode::Ptr TransferManagerViewCtrl::appendRow(const Row &item, bool atTop)
{
    auto node = DownloadNode::create(item);
    if (atTop)
        m_nodes.prepend(node);
    else
        m_nodes.append(node);
    rowForNode(node);
    askThumbnail(item);
    return node;
}

void TransferManagerViewCtrl::askThumbnail(const Row &item)
{
    if (!fileExists(item->thumbnailPath()))
        m_thumbnails->DownloadedFileForThumbnail(item->filePath(), item->fileID(), true);
}

void TransferManagerViewCtrl::addTransferItem(const QVariantList &items)
{
    QList<std::shared_ptr<FileInfoItem>> infos;
    for (const QVariant &v : items) {
        if (auto item = v.value<std::shared_ptr<DownloadedItem>>())
            infos << std::make_shared<FileInfoItem>(item->fileInfoCopy());
        else if (auto row = v.value<std::shared_ptr<TransferDataItem>>())
            infos << std::make_shared<FileInfoItem>(row->fileInfoCopy());
        else if (auto info = v.value<std::shared_ptr<FileInfoItem>>())
            infos << std::make_shared<FileInfoItem>(info->fileInfoCopy());
        else if (v.canConvert<FileInfoItem>())
            infos << std::make_shared<FileInfoItem>(v.value<FileInfoItem>());
    }
    addTransferItem(infos, false);
    saveWaitTransferItem();
}

void TransferManagerViewCtrl::addTransferItem(const QList<std::shared_ptr<FileInfoItem>> &items, bool isImport)
{
    for (const auto &info : items) {
        if (!info || !fileExists(info->filePath()))
            continue;  // gone since the other page listed it
        WKDataColleciton::share().collectTransferSourceFormat(info->fileExt());
        auto row = std::make_shared<TransferDataItem>(*info);
        row->setIsWaitItem(!isImport);
        row->setFileID(nextRowIdentity());
        appendRow(row, true);
    }
    refreshTransferTableView();
}

void TransferManagerViewCtrl::mediaLoaderDidEndLoadFiles(const QList<std::shared_ptr<DownloadedItem>> &items)
{
    QList<std::shared_ptr<FileInfoItem>> infos;
    for (const auto &item : items)
        if (item)
            infos << std::make_shared<FileInfoItem>(item->fileInfoCopy());
    addTransferItem(infos, true);
}

void TransferManagerViewCtrl::importFile()
{
    QStringList paths;
    if (m_hooks.chooseFiles) {
        paths = m_hooks.chooseFiles();
    } else {
        QStringList patterns;
        for (const QString &e : std::as_const(m_supportedExtensions))
            patterns << QStringLiteral("*.") + e << QStringLiteral("*.") + e.toUpper();
        // Files only, several at once, no folders.
        paths = QFileDialog::getOpenFileNames(m_view ? m_view->window() : nullptr, tr1("Add"), QString(),
                                              tr1("Media Files") + QStringLiteral(" (") + patterns.join(QLatin1Char(' '))
                                                  + QLatin1Char(')'));
    }
    paths.erase(std::remove_if(paths.begin(), paths.end(), [](const QString &p) { return !isSupportedPath(p); }),
                paths.end());
    if (paths.isEmpty())
        return;
    WKDataColleciton::share().collectTransferSourceFrom(QStringLiteral("Add"));
    importPaths(paths);
}

void TransferManagerViewCtrl::importPaths(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    if (m_hooks.importPaths) {
        m_hooks.importPaths(paths);
        return;
    }
    if (m_loader)
        m_loader->setDelegate(nullptr);
    m_loader = MediaLoaderWnd::importFiles(m_view ? m_view->window() : nullptr, paths, this);
}

bool TransferManagerViewCtrl::eventFilter(QObject *watched, QEvent *event)
{
    if (ListPageViews::filterListEvent(watched, event, m_rows, m_guideView, [](const QString &path) { return isSupportedPath(path); },
                                       [this](const QStringList &paths) { importPaths(paths); }))
        return true;
    return QObject::eventFilter(watched, event);
}

void TransferManagerViewCtrl::getThumbnailPath(const QString &thumbnailPath, const QString &videoPath, qint64, int)
{
    ListPageViews::applyThumbnail(m_nodes, thumbnailPath, videoPath);
}

// ---------------------------------------------------------------------------------------------
// Sending to the device

void TransferManagerViewCtrl::transferItemToDevices(const QList<DownloadNode::Ptr> &nodes)
{
    const auto device = m_deviceItem ? m_deviceItem->mobileDevice() : nullptr;
    if (!device) {
        ScribletLogInfo(QStringLiteral("transfer asked without a connected device"));
        return;
    }
    QList<Row> rows;
    for (const DownloadNode::Ptr &node : nodes) {
        const Row row = rowOf(node);
        if (!row || row->transferItem())
            continue;  // sent already: a row goes once per transfer item
        row->addDelegate(node);
        row->setTaskStatus(DownloadedItem::TaskWaiting);
        if (auto view = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
            view->displayViewCtroller(row);
        rows << row;
    }
    auto job = std::make_shared<TransferMediaTask>();
    job->setDestDevice(device);
    job->addWithTransferItemArray(rows);
    m_taskManager->addItem(job);
    m_taskManager->startTask(job);
    refreshTransferTableView();
}

void TransferManagerViewCtrl::transferAll()
{
    if (!m_nodes.isEmpty())
        transferItemToDevices(m_nodes);
}

void TransferManagerViewCtrl::transferSeleteItem()
{
    QList<DownloadNode::Ptr> nodes;
    QList<int> rows = selectedRows();
    std::sort(rows.begin(), rows.end());
    for (int r : rows)
        if (r >= 0 && r < m_nodes.size())
            nodes << m_nodes[r];
    if (!nodes.isEmpty())
        transferItemToDevices(nodes);
}

void TransferManagerViewCtrl::downloadedItemStartTransfer(const DownloadNode::Ptr &node)
{
    if (node)
        transferItemToDevices({node});
}

void TransferManagerViewCtrl::taskItemWillDelete(const DownloadNode::Ptr &node)
{
    const Row row = rowOf(node);
    if (!row)
        return;
    if (const auto item = row->transferItem())
        item->stopTransfer();
    row->setTaskStatus(DownloadedItem::TaskNone);
    row->setTransferItem(nullptr);
    if (auto view = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
        view->displayViewCtroller(row);
}

bool TransferManagerViewCtrl::hasTransferTask() const
{
    return std::any_of(m_nodes.begin(), m_nodes.end(), [](const DownloadNode::Ptr &n) {
        return taskIn(n, {DownloadedItem::TaskWaiting, DownloadedItem::TaskRunning, DownloadedItem::TaskPaused});
    });
}

void TransferManagerViewCtrl::onDeviceDisConnect()
{
    QList<DownloadNode::Ptr> gone;
    for (const DownloadNode::Ptr &node : std::as_const(m_nodes)) {
        const Row row = rowOf(node);
        if (!row)
            continue;
        if (!row->isWaitItem() || row->taskStatus() == DownloadedItem::TaskFinished) {
            gone << node;
        } else if (row->taskStatus() != DownloadedItem::TaskNone) {
            row->setTaskStatus(DownloadedItem::TaskNone);
            row->setTransferItem(nullptr);
            if (auto view = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
                view->displayViewCtroller(row);
        }
    }
    removeNodes(gone);
    if (m_rows)
        refreshTransferTableView();
}

QList<TransferManagerViewCtrl::Row> TransferManagerViewCtrl::waitTransferItem() const
{
    QList<Row> out;
    for (const DownloadNode::Ptr &node : m_nodes)
        if (const Row row = rowOf(node); row && row->isWaitItem() && row->taskStatus() != DownloadedItem::TaskFinished)
            out << row;
    return out;
}

void TransferManagerViewCtrl::deleteWaitItem(const Row &item)
{
    for (const DownloadNode::Ptr &node : std::as_const(m_nodes))
        if (rowOf(node) == item) {
            removeNodes({node});
            break;
        }
    saveWaitTransferItem();
    if (m_rows)
        refreshTransferTableView();
}

// ---------------------------------------------------------------------------------------------
// Deleting (no file is touched; a transfer under way goes on)

void TransferManagerViewCtrl::removeNodes(const QList<DownloadNode::Ptr> &nodes)
{
    for (const DownloadNode::Ptr &node : nodes) {
        if (m_rows)
            m_rows->forgetRow(node);
        m_nodes.removeAll(node);
    }
}

void TransferManagerViewCtrl::deleteItem()
{
    const QList<DownloadNode::Ptr> selected = selectedNodes();
    if (selected.isEmpty())
        return;
    if (DeleteModalWindowCtr::showDeleteItemsTipHiddenCheck(parentFrame()) == 0)
        return;
    removeNodes(selected);
    saveWaitTransferItem();
    refreshTransferTableView();
}

void TransferManagerViewCtrl::deleteAll()
{
    if (m_nodes.isEmpty())
        return;
    if (DeleteModalWindowCtr::showDeleteAllItemsTipHiddenCheck(parentFrame()) == 0)
        return;
    removeNodes(m_nodes);
    saveWaitTransferItem();
    refreshTransferTableView();
}

void TransferManagerViewCtrl::deleteItemWithKeyDown(const Notification &n)
{
    if (ListPageViews::isOwnDeleteKey(n, m_rows, m_view))
        deleteItem();
}

void TransferManagerViewCtrl::downloadedItemWillDelete(const DownloadNode::Ptr &node)
{
    const int index = int(m_nodes.indexOf(node));
    if (index < 0)
        return;
    selectRows({index});
    deleteItem();
}

void TransferManagerViewCtrl::collateFile()
{
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_Rmenu"), QStringLiteral("Id_Rmenu_CollateFiles"));
    const int answer = MGMessageBox::question(
        tr1("Collating will clear all unavailable tracks that the original files could not be found."),
        tr1("Clear Invalid Files"), tr1("Cancel"), tr1("Collate"), QImage(), parentFrame());
    if (answer != MGMessageBox::OtherButton)
        return;
    QList<DownloadNode::Ptr> gone;
    for (const DownloadNode::Ptr &node : std::as_const(m_nodes))
        if (const auto item = node->downloadItem(); item && !fileExists(item->filePath()))
            gone << node;
    removeNodes(gone);
    refreshTransferTableView();
}

bool TransferManagerViewCtrl::checkSelectedFilesExist(const DownloadNode::Ptr &node)
{
    const auto item = node ? node->downloadItem() : nullptr;
    if (!item)
        return false;
    if (fileExists(item->filePath()))
        return true;
    if (selectedRows().size() < 2) {
        const int answer = MGMessageBox::question(
            tr1("The video could not be used because the original file could not be found. \nWould you like to locate it or remove it from the list?"),
            QString(), QFileInfo(item->filePath()).fileName(), tr1("Locate"), tr1("Remove"), tr1("Cancel"), QImage(),
            parentFrame());
        if (answer == MGMessageBox::OtherButton) {
            removeNodes({node});
            refreshTransferTableView();
        } else if (answer != MGMessageBox::ThirdButton) {
            CommonFunDesktop::showDirectoryInFinder(QFileInfo(item->filePath()).absolutePath());
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Play and reveal

void TransferManagerViewCtrl::playWillStart(const DownloadNode::Ptr &node)
{
    const int index = int(m_nodes.indexOf(node));
    if (index < 0 || !checkSelectedFilesExist(node))
        return;
    QList<std::shared_ptr<DownloadedItem>> items;
    for (const DownloadNode::Ptr &n : std::as_const(m_nodes))
        items << n->downloadItem();
    if (m_hooks.openPlayer) {
        m_hooks.openPlayer(items, index);
        return;
    }
    if (!m_player)
        m_player = new MTPreviewPlayerWndCtl(view() ? view()->window() : nullptr);
    m_player->openMediaList(items, index);
}

void TransferManagerViewCtrl::playVideo()
{
    const QList<int> rows = selectedRows();
    if (!rows.isEmpty() && rows.first() < m_nodes.size())
        playWillStart(m_nodes[rows.first()]);
}

void TransferManagerViewCtrl::locateFile()
{
    const QList<DownloadNode::Ptr> selected = selectedNodes();
    if (selected.isEmpty())
        return;
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_Rmenu"), QStringLiteral("Id_Rmenu_LocateConvertedFile"));
    if (checkSelectedFilesExist(selected.first()))
        CommonFunDesktop::showFileInFinder(selected.first()->downloadItem()->filePath());
}

bool TransferManagerViewCtrl::validateMenuItem(QAction *item) const
{
    if (!item)
        return false;
    const QString name = item->objectName();
    const QList<DownloadNode::Ptr> selected = selectedNodes();
    const bool anyFileBusy = std::any_of(m_nodes.begin(), m_nodes.end(), fileBusy);
    if (name == QLatin1String("deleteAll:") && anyFileBusy)
        return false;
    if (selected.size() < 2) {
        if (m_nodes.isEmpty())
            return false;
        const bool rowSpecific = name == QLatin1String("transferSeleteItem:") || name == QLatin1String("playVideo:")
                                 || name == QLatin1String("locateFile:") || name == QLatin1String("deleteItem:");
        if (selected.isEmpty())
            return !rowSpecific;
        const DownloadNode::Ptr &row = selected.first();
        if (name == QLatin1String("transferSeleteItem:"))
            return taskIn(row, {DownloadedItem::TaskNone});
        if (name == QLatin1String("deleteItem:") || name == QLatin1String("deleteAll:"))
            return !fileBusy(row);
        return true;
    }
    const bool anySent = std::any_of(selected.begin(), selected.end(),
                                     [](const DownloadNode::Ptr &n) { return !taskIn(n, {DownloadedItem::TaskNone}); });
    if (name == QLatin1String("deleteItem:") || name == QLatin1String("transferSeleteItem:"))
        return !anySent;
    if (name == QLatin1String("locateFile:"))
        return false;
    return true;
}
