#include "library/DownloadedViewCtrl.h"

#include "downloads/IntroduceViewCtrl.h"
#include "platform/NotificationNames.h"
#include "shell/BriskletBundle.h"
#include "shell/UIManager.h"

#include "controls/DownloadTableView.h"
#include "controls/MGSearchFieldCell.h"
#include "converter/TBConverterTaskManager.h"
#include "downloads/DataBaseManager.h"
#include "downloads/DownloadedActionViewCtrl.h"
#include "downloads/DownloadedRowHost.h"
#include "downloads/ListPageViews.h"
#include "library/MTPreviewPlayerWndCtl.h"
#include "library/ThumbnailCallback.h"
#include "library/ThumbnailServerWraper.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "reelgrab/QVReelgrabTask.h"
#include "shell/GolobFun.h"

#include <QAbstractTableModel>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <limits>

namespace {

QString tr1(const char *english) { return MainBundle::localizedString(english); }

constexpr int DelayGetThumbnailMs = 10000;


bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

} // namespace

DownloadedViewCtrl::DownloadedViewCtrl(DataBaseManager *manager, ThumbnailServerWraper *thumbnails, QObject *parent)
    : QObject(parent)
    , m_dataBase(manager ? manager : &DataBaseManager::defaultManager())
    , thumbnailServerWraper_(thumbnails ? thumbnails : &ThumbnailServerWraper::share())
    , _converterTaskManager(std::make_unique<TBConverterTaskManager>())
{
    ScribletLogInfo(QStringLiteral("Get Downloaded Item"));
    if (const auto items = m_dataBase->getAllDownloadedItems()) {
        _downloadedNodeArr.reserve(items->size());
        for (const auto &item : *items)
            addDownloadNodeWithItem(item);
    } else {
        ScribletLogError(QStringLiteral("==>>library could not be read: %1").arg(m_dataBase->databasePath()));
    }
    ScribletLogInfo(QStringLiteral("Finish Downloaded Item"));

    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, NotificationNames::DeleteNotification,
                       [this](const Notification &n) { deleteItemWithKeyDown(n); });
    center.addObserver(this, NotificationNames::SpaceDownNotification,
                       [this](const Notification &n) { playVideoForNotification(n); });
    center.addObserver(this, NotificationNames::RefreshDownlodedDisplayData,
                       [this](const Notification &) { refreshDownloadedTableView(); });
    isCanConvertNext_ = true;
    isNetWorkLoader_ = false;

    m_thumbnailReceiver = std::make_shared<ThumbnailCallback>(
        this, [this](const QString &thumb, const QString &video, qint64 id, int type) { getThumbnailPath(thumb, video, id, type); });
    thumbnailServerWraper_->setDownloadedDelegate(m_thumbnailReceiver);
    QTimer::singleShot(DelayGetThumbnailMs, this, [this] { delayGetThumbnail(); });

    refreshDownloadedTableView();
}

DownloadedViewCtrl::~DownloadedViewCtrl()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    if (_loaderController)
        _loaderController->setDelegate(nullptr);
    // Rows must not call back into a page that is going away.
    for (const DownloadNode::Ptr &node : std::as_const(_downloadedNodeArr))
        if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
            row->setDelegate(nullptr);
    if (mtPreviewPlayerWndCtr_)
        delete mtPreviewPlayerWndCtr_.data();
    // The view may sit inside the download page, which deletes it first.
    if (m_view)
        delete m_view.data();
}

// ---------------------------------------------------------------------------------------------
// View

QWidget *DownloadedViewCtrl::view()
{
    if (!m_view)
        loadView();
    return m_view;
}

void DownloadedViewCtrl::loadView()
{
    auto *root = new QWidget;
    m_view = root;
    QVBoxLayout *layout = ListPageViews::whitePageLayout(root, QStringLiteral("DownloadedView"));

    // A host that binds no search field of its own gets one above the list.
    if (!searchFeild_) {
        auto *bar = new QWidget(root);
        bar->setObjectName(QStringLiteral("LibrarySearchBar"));
        bar->setFixedHeight(40);
        bar->setStyleSheet(QStringLiteral("#LibrarySearchBar{background:#F7F9FA;border-bottom:1px solid #E1E5E8;}"));
        auto *barLayout = new QHBoxLayout(bar);
        barLayout->setContentsMargins(16, 6, 16, 6);
        barLayout->addStretch(1);
        auto *field = new MGSearchFieldCell(bar);
        field->setPlaceholderText(tr1("Search"));
        field->setFixedWidth(220);
        barLayout->addWidget(field);
        layout->addWidget(bar);
        setSearchFeild(field);
    }

    m_rows = new DownloadedRowHost(
        root, [this]() -> const QList<DownloadNode::Ptr> & { return _displayNodeArr; },
        [this](const DownloadNode::Ptr &node) { return rowForNode(node); }, this);
    _tableView = m_rows->tableView();
    _tableView->setIsShowMenuWithEmptyTable(true);
    layout->addWidget(_tableView, 1);
    connect(m_rows, &DownloadedRowHost::rowDoubleClicked, this, [this] { doubleClick(); });
    connect(m_rows, &DownloadedRowHost::selectionChanged, this, [this] { changeVideoInfomationPicture(); });
    _downloadedActionViewCtrl = m_rows->actionView();

    buildContextMenu();
    setMenuLocalized();
    refreshDownloadedTableView();
}

void DownloadedViewCtrl::buildContextMenu()
{
    m_tableMenu = new QMenu(m_view);
    auto add = [this](QMenu *menu, const char *title, const QString &name, std::function<void()> run) {
        QAction *a = menu->addAction(tr1(title));
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, [run = std::move(run)] { run(); });
        return a;
    };
    QObject *menuSender = m_tableMenu;
    add(m_tableMenu, "Play", QStringLiteral("playVideo:"), [this, menuSender] { playVideo(menuSender); });
    add(m_tableMenu, "Rename", QStringLiteral("renameTitle:"), [this, menuSender] { renameTitle(menuSender); });
    add(m_tableMenu, "Show in Folder", QStringLiteral("showInFinder:"), [this, menuSender] { showInFinder(menuSender); });
    m_tableMenu->addSeparator();
    add(m_tableMenu, "Add to Convert List", QStringLiteral("converterItem:"),
        [this, menuSender] { converterItem(menuSender); });
    add(m_tableMenu, "Add to Transfer List", QStringLiteral("transferItem:"),
        [this, menuSender] { transferItem(menuSender); });
    m_tableMenu->addSeparator();
    add(m_tableMenu, "Copy URL", QStringLiteral("copyURLAction:"), [this, menuSender] { copyURLAction(menuSender); });
    add(m_tableMenu, "Go to Source Page", QStringLiteral("goToSourcePage:"),
        [this, menuSender] { goToSourcePage(menuSender); });
    m_tableMenu->addSeparator();
    add(m_tableMenu, "Expand Playlist", QStringLiteral("clickExpandMenuItem:"), [this] { clickExpandMenuItem(); });
    add(m_tableMenu, "Collapse Playlist", QStringLiteral("clickCollapseMenuItem:"), [this] { clickCollapseMenuItem(); });
    m_tableMenu->addSeparator();

    // Sort by: five keys, then the two directions. Each item carries its stored code.
    m_sortMenu = new QMenu(tr1("Sort by"), m_tableMenu);
    m_sortMenu->setObjectName(QStringLiteral("SortByMenu"));
    _menuSortBy = m_tableMenu->addMenu(m_sortMenu);
    _menuSortBy->setObjectName(QStringLiteral("menuSortBy"));
    struct SortItem
    {
        const char *title;
        const char *name;
        void (DownloadedViewCtrl::*action)(QAction *);
    };
    const SortItem keys[] = {{"Name", "sortByName:", &DownloadedViewCtrl::sortByName},
                             {"Date", "sortByDate:", &DownloadedViewCtrl::sortByDate},
                             {"Length", "sortByLength:", &DownloadedViewCtrl::sortByLength},
                             {"Size", "sortBySize:", &DownloadedViewCtrl::sortBySize},
                             {"Site", "sortBySite:", &DownloadedViewCtrl::sortBySite}};
    const SortDescriptor stored = getSortDescriptor();
    const SortKey keyOrder[] = {SortKey::Name, SortKey::Date, SortKey::Length, SortKey::Size, SortKey::Site};
    for (int i = 0; i < 5; ++i) {
        QAction *a = m_sortMenu->addAction(tr1(keys[i].title));
        a->setObjectName(QString::fromLatin1(keys[i].name));
        a->setData(QString::fromLatin1(keys[i].title));
        a->setCheckable(true);
        a->setChecked(stored.key == keyOrder[i]);
        const auto action = keys[i].action;
        connect(a, &QAction::triggered, this, [this, a, action] { (this->*action)(a); });
    }
    m_sortMenu->addSeparator();
    QAction *asc = m_sortMenu->addAction(tr1("Ascending"));
    asc->setObjectName(QStringLiteral("Ascending:"));
    asc->setData(QStringLiteral("Ascending"));
    asc->setCheckable(true);
    asc->setChecked(stored.ascending);
    connect(asc, &QAction::triggered, this, [this, asc] { Ascending(asc); });
    QAction *desc = m_sortMenu->addAction(tr1("Descending"));
    desc->setObjectName(QStringLiteral("Descending:"));
    desc->setData(QStringLiteral("Descending"));
    desc->setCheckable(true);
    desc->setChecked(!stored.ascending);
    connect(desc, &QAction::triggered, this, [this, desc] { Descending(desc); });

    m_tableMenu->addSeparator();
    add(m_tableMenu, "Delete", QStringLiteral("deleteItem:"), [this, menuSender] { deleteItem(menuSender); });
    add(m_tableMenu, "Delete All", QStringLiteral("deleteAll:"), [this, menuSender] { deleteAll(menuSender); });
    add(m_tableMenu, "Clear Invalid Files", QStringLiteral("collateFile:"),
        [this, menuSender] { collateFile(menuSender); });

    connect(m_tableMenu, &QMenu::aboutToShow, this, [this] {
        menuWillOpen(m_tableMenu);
        for (QAction *a : m_tableMenu->actions())
            if (!a->isSeparator() && a != _menuSortBy)
                a->setEnabled(validateMenuItem(a));
    });
    _tableView->setMenu(m_tableMenu);
}

QAction *DownloadedViewCtrl::menuItem(const QString &actionName) const
{
    if (!m_tableMenu)
        return nullptr;
    if (_menuSortBy && _menuSortBy->objectName() == actionName)
        return _menuSortBy;
    if (auto *a = m_tableMenu->findChild<QAction *>(actionName))
        return a;
    for (QAction *a : m_tableMenu->actions())
        if (a->objectName() == actionName)
            return a;
    if (m_sortMenu)
        for (QAction *a : m_sortMenu->actions())
            if (a->objectName() == actionName)
                return a;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Items and nodes

std::shared_ptr<DownloadedItem> DownloadedViewCtrl::createDownloadItemWithTask(QVReelgrabTask *task)
{
    if (!task)
        return nullptr;
    auto item = std::make_shared<DownloadedItem>();
    // The stored name: asking for the target name of a task without one would reserve a file.
    const QString target = task->storedTargetFileName();
    if (!target.isNull())
        item->setFilePath(target);
    const QString page = task->pageUrl();
    if (!page.isNull())
        item->setPageURL(page);
    item->setAddDate(QDateTime::currentDateTimeUtc());
    if (const QString subtitle = task->mediaSubtitle(); !subtitle.isNull())
        item->setSubtitlePath(subtitle);
    if (const QString icon = task->mediaIcon(); !icon.isNull())
        item->setWebIconPath(icon);
    constexpr qint32 NotFound = std::numeric_limits<qint32>::max();
    if (task->expectMediaQuality() != NotFound)
        item->setResolution(task->expectMediaQuality());
    if (const QString thumbnail = task->mediaThumbnail(); !thumbnail.isNull())
        item->setThumbnailPath(thumbnail);
    if (const QString name = task->playlistName(); !name.isNull())
        item->setPlaylistName(name);
    if (const QString uid = task->playlistUUID(); !uid.isNull())
        item->setPlaylistUId(uid);
    if (task->indexInPlaylist() != 0)
        item->setPlaylistIndex(qint32(task->indexInPlaylist()));
    item->setVideoPaths(QStringList{target});
    return item;
}

DownloadNode::Ptr DownloadedViewCtrl::createDownloadNodeWithTask(QVReelgrabTask *task)
{
    const auto item = createDownloadItemWithTask(task);
    if (!item)
        return nullptr;
    DownloadNode::Ptr node = item->playlistName().isNull()
                                 ? DownloadNode::create(item)
                                 : DownloadNode::create(item, item->playlistName(), item->playlistUId());
    rowForNode(node);
    _downloadedNodeArr.append(node);
    return node;
}

DownloadNode::Ptr DownloadedViewCtrl::addDownloadNodeWithItem(const std::shared_ptr<DownloadedItem> &item,
                                                              bool isAddFront)
{
    if (!item)
        return nullptr;
    DownloadNode::Ptr node;
    if (!item->playlistName().isEmpty()) {
        node = DownloadNode::create(item, item->playlistName(), item->playlistUId());
        addPlaylistNode(node);
    } else {
        node = DownloadNode::create(item);
    }
    // The row controller is made when its row first shows (rowForNode); a library of many
    // thousand items would otherwise build as many controllers at start-up.
    if (isAddFront && !_downloadedNodeArr.isEmpty())
        _downloadedNodeArr.prepend(node);
    else
        _downloadedNodeArr.append(node);
    return node;
}

void DownloadedViewCtrl::addPlaylistNode(const DownloadNode::Ptr &node)
{
    if (!node)
        return;
    for (const DownloadNode::Ptr &group : std::as_const(_playlistNodeArray)) {
        if (group->playlistID() == node->playlistID()) {
            group->addChildrenNode(node);
            return;
        }
    }
    DownloadNode::Ptr group = DownloadNode::create(nullptr, node->playlistName(), node->playlistID());
    _playlistNodeArray.append(group);
    group->addChildrenNode(node);
}

std::shared_ptr<DownloadedItemViewCtrl> DownloadedViewCtrl::rowForNode(const DownloadNode::Ptr &node)
{
    if (!node || !node->downloadItem())
        return nullptr;
    if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
        return row;
    auto row = DownloadedItemViewCtrl::create(node, this, DownloadedItemViewCtrl::Library);
    if (row->getTitleTxtField())
        row->displayViewCtroller(node->downloadItem());
    return row;
}

void DownloadedViewCtrl::removeNode(const DownloadNode::Ptr &node)
{
    if (!node)
        return;
    _downloadedNodeArr.removeAll(node);
    _displayNodeArr.removeAll(node);
    if (const DownloadNode::Ptr parent = node->parentNode()) {
        parent->removeChildrenNode(node);
        if (parent->childrenNode().isEmpty())
            _playlistNodeArray.removeAll(parent);
    }
    if (m_rows)
        m_rows->forgetRow(node);
    else if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>(); row && row->isViewLoaded())
        row->view()->hide();
}

int DownloadedViewCtrl::getPlaylistCountByID(const QString &playlistID) const
{
    for (const DownloadNode::Ptr &group : _playlistNodeArray)
        if (group->playlistID() == playlistID)
            return int(group->childrenNode().size());
    return 0;
}

std::shared_ptr<DownloadedItem> DownloadedViewCtrl::addNodeByReelgrabTask(QVReelgrabTask *task)
{
    const auto item = createDownloadItemWithTask(task);
    if (!item)
        return nullptr;
    if (fileExists(item->filePath())) {
        downloadedItemArr_.append(item);
        loadNextDownloadFile();
        return item;
    }
    // The file is gone already: the library still records the download (shown as missing).
    m_dataBase->recordFinishedItem(item);
    addDownloadNodeWithItem(item, true);
    changeVideoInfomationPicture();
    detachRowViews();
    refreshDownloadedTableView();
    changeMediaListForPlayer();
    // Nothing is left to load for it; with no load running the library's work has ended.
    if (downloadedItemArr_.isEmpty() && !isNetWorkLoader_)
        NotificationCenter::defaultCenter().post(NotificationNames::TimeForScheduledTask);
    return item;
}

// ---------------------------------------------------------------------------------------------
// Rows

QString DownloadedViewCtrl::getSearchStr() const
{
    if (!searchFeild_)
        return QString();
    const QString text = searchFeild_->text().trimmed();
    return text.isEmpty() ? QString() : text;
}

QList<DownloadNode::Ptr> DownloadedViewCtrl::filterNodes(const QList<DownloadNode::Ptr> &nodes, const QString &search)
{
    if (search.isEmpty())
        return nodes;
    QList<DownloadNode::Ptr> kept;
    for (const DownloadNode::Ptr &node : nodes)
        if (m_searchFilter.matches(node->fileName()))
            kept.append(node);
    return kept;
}

void DownloadedViewCtrl::refreshDownloadedTableView()
{
    // 1. The empty library shows the (extension) install view instead of rows.
    if (!_downloadedNodeArr.isEmpty()) {
        if (_browserExtensionInstallView)
            _browserExtensionInstallView->hide();
    } else if (m_view) {
        createBrowserExtensionInstallView();
        if (_browserExtensionInstallView) {
            _browserExtensionInstallView->setGeometry(_tableView->geometry());
            _browserExtensionInstallView->show();
            _browserExtensionInstallView->raise();
        }
    }

    // 2.-3. Candidates: every item node, or those the search lets through.
    const QList<DownloadNode::Ptr> selectedNodesBefore = selectedNodes();
    _displayNodeArr.clear();
    const QString search = getSearchStr();
    m_searchFilter.setSearchText(search);
    const QList<DownloadNode::Ptr> candidates = filterNodes(_downloadedNodeArr, search);

    // 4. Each play list's displayed members; the first of them heads it.
    for (const DownloadNode::Ptr &group : std::as_const(_playlistNodeArray)) {
        const QList<DownloadNode::Ptr> shown = filterNodes(group->childrenNode(), search);
        group->setDisplayNodeArray(shown);
        for (const DownloadNode::Ptr &child : group->childrenNode())
            child->setIsPlaylistNode(false);
        if (!shown.isEmpty())
            shown.constFirst()->setIsPlaylistNode(true);
    }

    // 5.-6. Ordinary rows and headers, sorted.
    _displayNodeArr.reserve(candidates.size());
    for (const DownloadNode::Ptr &node : candidates)
        if (!node->parentNode() || node->isPlaylistNode())
            _displayNodeArr.append(node);
    _displayCount = int(_displayNodeArr.size());
    storeArrayWithDefault(_displayNodeArr);

    // 7. The other members count; an expanded list shows them under its header, in list order.
    QHash<const DownloadNode *, int> headerRow;
    for (const DownloadNode::Ptr &group : std::as_const(_playlistNodeArray)) {
        QList<DownloadNode::Ptr> shown = group->displayNodeArray();
        if (shown.isEmpty())
            continue;
        const DownloadNode::Ptr header = shown.takeFirst();
        group->setDisplayNodeArray(shown);
        _displayCount += int(shown.size());
        if (group->isExtend() && !shown.isEmpty())
            headerRow.insert(header.get(), 0);
    }
    if (!headerRow.isEmpty()) {
        // One pass instead of one insertion per play list.
        QList<DownloadNode::Ptr> rows;
        rows.reserve(_displayNodeArr.size() + 16);
        for (const DownloadNode::Ptr &node : std::as_const(_displayNodeArr)) {
            rows.append(node);
            if (headerRow.contains(node.get()))
                rows.append(node->parentNode()->displayNodeArray());
        }
        _displayNodeArr = rows;
    }

    // 8.-9. Rows are placed again when shown; reload and tell the host.
    detachRowViews();
    reloadTable();
    // The selection follows its nodes.
    if (m_rows && !selectedNodesBefore.isEmpty()) {
        QList<int> again;
        for (const DownloadNode::Ptr &node : std::as_const(selectedNodesBefore))
            if (const int at = int(_displayNodeArr.indexOf(node)); at >= 0)
                again << at;
        selectRows(again);
    }
    tellCountChanged();
}

void DownloadedViewCtrl::reloadTable()
{
    if (m_rows)
        m_rows->reload();
}

void DownloadedViewCtrl::tellCountChanged()
{
    if (_delegate)
        _delegate->downloadedItemCountDidChange();
    if (m_countObserver)
        m_countObserver();
}

int DownloadedViewCtrl::heightOfRow(int row) const
{
    if (row < 0 || row >= _displayNodeArr.size())
        return RowHeight;
    return _displayNodeArr[row]->isPlaylistNode() ? PlaylistRowHeight : RowHeight;
}

void DownloadedViewCtrl::detachRowViews()
{
    if (m_rows)
        m_rows->detachRowViews();
}

void DownloadedViewCtrl::willDisplayRow(int row)
{
    if (m_rows)
        m_rows->willDisplayRow(row);
}

void DownloadedViewCtrl::layoutVisibleRows()
{
    if (m_rows && m_view)
        m_rows->layoutVisibleRows();
}

QList<int> DownloadedViewCtrl::selectedRows() const
{
    return m_rows ? m_rows->selectedRows() : QList<int>();
}

QList<DownloadNode::Ptr> DownloadedViewCtrl::selectedNodes() const
{
    return m_rows ? m_rows->selectedNodes() : QList<DownloadNode::Ptr>();
}

DownloadNode::Ptr DownloadedViewCtrl::selectedNode() const
{
    return m_rows ? m_rows->selectedNode() : nullptr;
}

void DownloadedViewCtrl::selectRows(const QList<int> &rows)
{
    if (m_rows)
        m_rows->selectRows(rows);
}

QList<DownloadNode::Ptr> DownloadedViewCtrl::membersOfRow(const DownloadNode::Ptr &node) const
{
    QList<DownloadNode::Ptr> members;
    if (!node)
        return members;
    members << node;
    const DownloadNode::Ptr parent = node->parentNode();
    if (parent && node->isPlaylistNode() && !parent->isExtend())
        members << parent->displayNodeArray();
    return members;
}

void DownloadedViewCtrl::changeVideoInfomationPicture()
{
    const QList<int> selected = selectedRows();
    if (selected.isEmpty())
        return;
    for (int i = 0; i < _displayNodeArr.size(); ++i) {
        const DownloadNode::Ptr &node = _displayNodeArr[i];
        auto ctrl = node->downloadingItemViewCtr<DownloadedItemViewCtrl>();
        const auto item = node->downloadItem();
        if (!ctrl || !item || !ctrl->isViewLoaded())
            continue; // a row made later shows the current state itself
        if (selected.contains(i))
            ctrl->setHightLightInformationPicture();
        else
            ctrl->setInfomationPicture();
        if (fileExists(item->filePath()))
            ctrl->setVideoSource();
        else
            ctrl->setLocalFileUnExistsPicture();
    }
}

// ---------------------------------------------------------------------------------------------
// Hover bar

void DownloadedViewCtrl::mouseMoved(const QPoint &viewportPoint)
{
    if (m_rows)
        m_rows->mouseMoved(viewportPoint);
}

void DownloadedViewCtrl::mouseExited()
{
    if (m_rows)
        m_rows->mouseExited();
}

void DownloadedViewCtrl::showActionViewForItem(const DownloadNode::Ptr &node, int row)
{
    if (m_rows)
        m_rows->showActionViewForItem(node, row);
}

// ---------------------------------------------------------------------------------------------
// Play lists

void DownloadedViewCtrl::clickExpandMenuItem()
{
    const DownloadNode::Ptr node = selectedNode();
    if (!node)
        return;
    const DownloadNode::Ptr parent = node->parentNode();
    if (!node->playlistName().isEmpty() && parent && !parent->isExtend())
        parent->setIsExtend(true);
    refreshDownloadedTableView();
}

void DownloadedViewCtrl::clickCollapseMenuItem()
{
    const DownloadNode::Ptr node = selectedNode();
    if (!node)
        return;
    const DownloadNode::Ptr parent = node->parentNode();
    if (parent && parent->isExtend())
        parent->setIsExtend(false);
    refreshDownloadedTableView();
}

// ---------------------------------------------------------------------------------------------
// Playback

void DownloadedViewCtrl::playVideo(QObject *sender)
{
    if (sender)
        QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_Rmenu"), QStringLiteral("Id_Rmenu_Play"));
    if (const DownloadNode::Ptr node = selectedNode())
        playWillStart(node);
}

void DownloadedViewCtrl::doubleClick()
{
    if (!_displayNodeArr.isEmpty())
        playVideo(nullptr);
}

void DownloadedViewCtrl::playVideoForNotification(const Notification &n)
{
    if (!_tableView || n.objectPointer() != _tableView)
        return;
    if (!_displayNodeArr.isEmpty())
        playVideo(nullptr);
}

void DownloadedViewCtrl::playWillStart(const DownloadNode::Ptr &node)
{
    if (!node || !node->downloadItem())
        return;
    if (m_view && m_view->window() && m_view->window()->focusWidget())
        m_view->window()->focusWidget()->clearFocus();
    if (checkSelectedFilesExist(node) && canShowMenuPlayBtn())
        startPlayVideo(node->downloadItem()->downloadID());
}

bool DownloadedViewCtrl::playItem(qint32 downloadID)
{
    const auto item = findDownloadedItem(downloadID);
    if (!item || !fileExists(item->filePath()))
        return false;
    startPlayVideo(downloadID);
    return true;
}

void DownloadedViewCtrl::startPlayVideo(qint32 downloadID)
{
    const QList<std::shared_ptr<DownloadedItem>> list = filterMergeDownloadItemForPlayMediaList();
    if (list.isEmpty())
        return;
    const auto item = findDownloadedItem(downloadID);
    const int index = item ? int(list.indexOf(item)) : -1;
    if (index < 0 || index >= list.size())
        return;
    if (m_playerOpener) {
        m_playerOpener(list, index);
        return;
    }
    if (!mtPreviewPlayerWndCtr_)
        mtPreviewPlayerWndCtr_ = new MTPreviewPlayerWndCtl(view() ? view()->window() : nullptr);
    mtPreviewPlayerWndCtr_->openMediaList(list, index);
}

QList<std::shared_ptr<DownloadedItem>> DownloadedViewCtrl::filterMergeDownloadItemForPlayMediaList() const
{
    QList<std::shared_ptr<DownloadedItem>> list;
    for (const DownloadNode::Ptr &node : _displayNodeArr) {
        const auto item = node->downloadItem();
        if (item && fileExists(item->filePath()))
            list << item;
        const DownloadNode::Ptr parent = node->parentNode();
        if (node->isPlaylistNode() && parent && !parent->isExtend())
            for (const DownloadNode::Ptr &member : parent->displayNodeArray())
                if (const auto other = member->downloadItem(); other && fileExists(other->filePath()))
                    list << other;
    }
    return list;
}

void DownloadedViewCtrl::setPlayMode(int mode)
{
    if (mtPreviewPlayerWndCtr_ && mtPreviewPlayerWndCtr_->mtPreviewPlayerViewCtl())
        mtPreviewPlayerWndCtr_->mtPreviewPlayerViewCtl()->setPlayMode(mode);
}

// ---------------------------------------------------------------------------------------------
// Thumbnails

void DownloadedViewCtrl::delayGetThumbnail()
{
    for (const DownloadNode::Ptr &node : std::as_const(_downloadedNodeArr)) {
        const auto item = node->downloadItem();
        if (!item || fileExists(item->thumbnailPath()))
            continue;
        if (!item->filePath().isEmpty() && item->downloadID() != 0)
            thumbnailServerWraper_->DownloadedFileForThumbnail(item->filePath(), item->downloadID(), false);
    }
}

void DownloadedViewCtrl::getThumbnailPath(const QString &thumbnailPath, const QString &videoPath, qint64 videoID,
                                          int typeID)
{
    if (videoID < 0 || typeID != 1)
        return;
    const auto item = findDownloadedItembyVideoPath(videoPath);
    if (!item) {
        ScribletLogInfo(QStringLiteral("thumbnailPath = %1,videoPath =  %2").arg(thumbnailPath, videoPath));
        return;
    }
    item->setThumbnailPath(thumbnailPath);
    m_dataBase->updateDownloadedItem(*item);
    item->sendFileInfoItemDataChange();
}

// ---------------------------------------------------------------------------------------------
// Look-ups

std::shared_ptr<DownloadedItem> DownloadedViewCtrl::findDownloadedItem(qint32 downloadID) const
{
    const DownloadNode::Ptr node = findDownloadedNode(downloadID);
    return node ? node->downloadItem() : nullptr;
}

DownloadNode::Ptr DownloadedViewCtrl::findDownloadedNode(qint32 downloadID) const
{
    for (const DownloadNode::Ptr &node : _downloadedNodeArr)
        if (const auto item = node->downloadItem(); item && item->downloadID() == downloadID)
            return node;
    return nullptr;
}

std::shared_ptr<DownloadedItem> DownloadedViewCtrl::findDownloadedItembyVideoPath(const QString &path) const
{
    for (const DownloadNode::Ptr &node : _downloadedNodeArr)
        if (const auto item = node->downloadItem(); item && item->filePath() == path)
            return item;
    return nullptr;
}

int DownloadedViewCtrl::findDownloadedItemIndex(qint32 downloadID) const
{
    const QList<DownloadNode::Ptr> &list =
        _displayNodeArr.size() == _downloadedNodeArr.size() ? _displayNodeArr : _downloadedNodeArr;
    for (int i = 0; i < list.size(); ++i)
        if (const auto item = list[i]->downloadItem(); item && item->downloadID() == downloadID)
            return i;
    return -1;
}

void DownloadedViewCtrl::downloadedItemNeedUpdate(const DownloadNode::Ptr &node)
{
    if (node && node->downloadItem())
        m_dataBase->updateDownloadedItem(*node->downloadItem());
}

// ---------------------------------------------------------------------------------------------
// Pop-ups, empty page, window close, utilities

void DownloadedViewCtrl::popViewDidClickAtRow(int row, int type)
{
    if (type == 0) {
        if (row == 0)
            transferDownloadedFile(nullptr);
        else
            transferConvertedFile(nullptr);
    } else {
        if (row == 0)
            showInFinder(nullptr);
        else
            locateFile(nullptr);
    }
}

void DownloadedViewCtrl::createBrowserExtensionInstallView()
{
    if (_browserExtensionInstallView || !_tableView)
        return;
    // The extension install page with the introduction inside; a plain page without the bundle.
    _introduceViewCtrl = new IntroduceViewCtrl(this);
    QWidget *empty = BriskletBundle::installView(UIManager::sliceNamedInMain(QStringLiteral("installext")),
                                                 _introduceViewCtrl->view(), _tableView->parentWidget());
    if (!empty)
        empty = new QWidget(_tableView->parentWidget());
    empty->setObjectName(QStringLiteral("LibraryEmptyView"));
    empty->setAutoFillBackground(true);
    empty->setContextMenuPolicy(Qt::NoContextMenu);
    _browserExtensionInstallView = empty;
}

void DownloadedViewCtrl::saveStausWhenWindowClose()
{
    isCanConvertNext_ = false;
    thumbnailServerWraper_->terminateThumbnailProc();
    for (const DownloadNode::Ptr &node : std::as_const(_downloadedNodeArr))
        stopTaskItemForDownloadedItem(node, true);
    _converterTaskManager->cancelCurrentTasks();
    if (mtPreviewPlayerWndCtr_)
        mtPreviewPlayerWndCtr_->close();
}

QVariantMap DownloadedViewCtrl::calcDownloadContext() const
{
    const QList<int> selected = selectedRows();
    qint64 size = 0;
    if (selected.size() > 1) {
        for (int r : selected)
            if (r < _displayNodeArr.size())
                size += _displayNodeArr[r]->videoSize();
    } else {
        for (const DownloadNode::Ptr &node : _displayNodeArr)
            size += node->videoSize();
    }
    return {{QStringLiteral("XSelect"), int(selected.size())},
            {QStringLiteral("VideoSize"), GolobFun::convertSizeToString(size)}};
}

QRect DownloadedViewCtrl::rectForDownloadItem(const DownloadNode::Ptr &node) const
{
    return m_rows ? m_rows->rectForNode(node) : QRect();
}

void DownloadedViewCtrl::dledScrollRowToVisible(int rowHeight)
{
    const QList<int> selected = selectedRows();
    if (!_tableView || selected.isEmpty())
        return;
    _tableView->verticalScrollBar()->setValue(selected.first() * rowHeight);
}
