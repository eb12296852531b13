#include "recording/RecordViewCtrl.h"

#include "controls/DownloadTableView.h"
#include "controls/MGHoverButton.h"
#include "downloads/DeleteModalWindowCtr.h"
#include "downloads/DownloadedItem.h"
#include "downloads/DownloadedRowHost.h"
#include "downloads/ListPageViews.h"
#include "downloads/MediaLoaderWnd.h"
#include "library/LibraryRename.h"
#include "library/MTPreviewPlayerWndCtl.h"
#include "library/ThumbnailCallback.h"
#include "library/ThumbnailServerWraper.h"
#include "platform/AppPaths.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/Trash.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "platform/log/ScribletLogger.h"
#include "recording/RecordingFiles.h"
#include "recording/ScreenRecordCtrl.h"
#include "shell/MGMessageBox.h"
#include "shell/WKDataColleciton.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString tr1(const char *english) { return MainBundle::localizedString(english); }

bool fileExists(const QString &path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

const QString kSortKey = QStringLiteral("RecordSortByKey");
const QString kSortOrder = QStringLiteral("RecordSortByOrder");

struct SortTitle
{
    RecordViewCtrl::SortKey key;
    const char *title;
    const char *action;
};
const SortTitle kSortTitles[] = {
    {RecordViewCtrl::SortKey::Name, "Name", "sortByName:"},
    {RecordViewCtrl::SortKey::Date, "Date", "sortByDate:"},
    {RecordViewCtrl::SortKey::Length, "Length", "sortByLength:"},
    {RecordViewCtrl::SortKey::Size, "Size", "sortBySize:"},
};

RecordViewCtrl::TakeReader g_takeReader;

// Hands the loader's answer to a function.
class LoaderAnswer : public MediaLoaderControllerDelegate
{
public:
    explicit LoaderAnswer(RecordViewCtrl::ItemsDone done)
        : m_done(std::move(done))
    {
    }
    void mediaLoaderDidEndLoadFiles(const QList<std::shared_ptr<DownloadedItem>> &items) override { m_done(items); }

private:
    RecordViewCtrl::ItemsDone m_done;
};

} // namespace

void RecordViewCtrl::setTakeReaderForTesting(TakeReader reader) { g_takeReader = std::move(reader); }

RecordViewCtrl::RecordViewCtrl(const QString &storePath, ThumbnailServerWraper *thumbnails, ScreenRecordServer *server, QObject *parent)
    : QObject(parent)
    , m_store(storePath)
    , m_server(server)
    , _thumbnailServerWraper(thumbnails ? thumbnails : &ThumbnailServerWraper::share())
{
    m_thumbnailReceiver = std::make_shared<ThumbnailCallback>(
        this, [this](const QString &thumb, const QString &video, qint64 id, int type) { getThumbnailPath(thumb, video, id, type); });
    _thumbnailServerWraper->setRecodeDelegate(m_thumbnailReceiver);
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, NotificationNames::DeleteNotification, [this](const Notification &n) { deleteItemWithKeyDown(n); });
    // Space over the list is taken and left alone.
    center.addObserver(this, NotificationNames::SpaceDownNotification, [](const Notification &) {});
    loadList();
    recoverUnfinishedTakes();
}

RecordViewCtrl::~RecordViewCtrl()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    if (m_loader)
        m_loader->setDelegate(nullptr);
    if (m_recoveryLoader)
        m_recoveryLoader->setDelegate(nullptr);
    if (_screenRecordCtrl)
        _screenRecordCtrl->setDelegate(nullptr);
    for (const DownloadNode::Ptr &node : std::as_const(_recordlist))
        if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
            row->setDelegate(nullptr);
    if (_player)
        delete _player.data();
    _displaylist.clear();
    _recordlist.clear();
    if (m_view)
        delete m_view.data();
}

QString RecordViewCtrl::recordFolder()
{
    const QString stored = UserDefaults::standard().stringForKey(QStringLiteral("recordPath"));
    return stored.isEmpty() ? AppPaths::recordFolder() : stored;
}

QString RecordViewCtrl::thumbnailFolder() { return AppPaths::productSupport() + QStringLiteral("/Thumbnail"); }

// ---------------------------------------------------------------------------------------------
// View

QWidget *RecordViewCtrl::view()
{
    // Made on first use, when the page is first shown.
    if (m_view.isNull())
        loadView();
    return m_view.data();
}

void RecordViewCtrl::loadView()
{
    QWidget *root = new QWidget;
    QVBoxLayout *layout = ListPageViews::whitePageLayout(root, QStringLiteral("RecordViewCtrl"));
    m_view = root;

    QWidget *bar = nullptr;
    QHBoxLayout *barLayout = ListPageViews::toolBar(root, QStringLiteral("RecordBar"), &bar);
    _btnRecord = new MGHoverButton(bar);
    _btnRecord->setObjectName(QStringLiteral("btnRecord"));
    _btnRecord->setButtonDisplayType(1);
    _btnRecord->setTitle(tr1("Record"));
    _btnRecord->setIconSliceName(QStringLiteral("mainform-171"));
    _btnRecord->cell()->setIconTitleSpace(6);
    _btnRecord->setTextColor(QColor(32, 192, 91));
    _btnRecord->setMinimumSize(110, 32);
    const struct
    {
        MGHoverButton **button;
        const char *tip, *slices, *name;
        void (RecordViewCtrl::*run)();
    } tools[] = {
        {&_btnDelete, "Delete", "mainform-328,mainform-329,mainform-330,mainform-331", "btnDelete", &RecordViewCtrl::deleteItem},
        {&_btnOpenFolder, "Open in File Manager", "mainform-445,mainform-446,mainform-447,mainform-448", "btnOpenFolder", &RecordViewCtrl::openFolder},
        {&_btnConvert, "Convert", "mainform-712,mainform-714,mainform-716,mainform-718", "btnConvert", &RecordViewCtrl::ConvertItems},
        {&_btnTransfer, "Transfer", "mainform-728,mainform-729,mainform-730,mainform-731", "btnTransfer", &RecordViewCtrl::transferItem},
    };
    // The arrow beside Record opens its menu: the region recording.
    _btnRecordArrow = new MGHoverButton(bar);
    _btnRecordArrow->setObjectName(QStringLiteral("btnRecordArrow"));
    _btnRecordArrow->setButtonDisplayType(1);
    _btnRecordArrow->setTitle(QStringLiteral("\u25BE"));
    _btnRecordArrow->setTextColor(QColor(32, 192, 91));
    _btnRecordArrow->setToolTip(tr1("More ways to record"));
    _btnRecordArrow->setFixedSize(24, 32);
    _recordMenu = new QMenu(root);
    _recordMenu->setObjectName(QStringLiteral("recordMenu"));
    QAction *region = _recordMenu->addAction(tr1("Record a region\u2026"));
    region->setObjectName(QStringLiteral("RecordRegion:"));
    connect(region, &QAction::triggered, this, [this] { RecordRegion(); });
    connect(_btnRecordArrow, &MGHoverButton::clicked, this, [this] { showRecordMenu(); });
    barLayout->addWidget(_btnRecord);
    barLayout->addWidget(_btnRecordArrow);
    barLayout->addSpacing(8);
    for (const auto &t : tools) {
        *t.button = ListPageViews::toolButton(bar, tr1(t.tip), QString::fromLatin1(t.slices), QString::fromLatin1(t.name));
        barLayout->addWidget(*t.button);
        connect(*t.button, &MGHoverButton::clicked, this, [this, run = t.run] { (this->*run)(); });
    }
    _searchField = new QLineEdit(bar);
    _searchField->setObjectName(QStringLiteral("searchField"));
    _searchField->setPlaceholderText(tr1("Search"));
    _searchField->setClearButtonEnabled(true);
    _searchField->setFixedWidth(200);
    barLayout->addStretch(1);
    barLayout->addWidget(_searchField);
    layout->addWidget(bar);
    connect(_btnRecord, &MGHoverButton::clicked, this, [this] { Record(); });
    connect(_searchField, &QLineEdit::textChanged, this, [this] { refreshRecordTableView(); });

    // The table shows the displayed list: filtered and sorted.
    auto shown = [this]() -> const QList<DownloadNode::Ptr> & { return _displaylist; };
    auto rowFor = [this](const DownloadNode::Ptr &node) { return rowForNode(node); };
    m_rows = new DownloadedRowHost(root, shown, rowFor, this);
    connect(m_rows, &DownloadedRowHost::rowDoubleClicked, this, [this] { playVideo(); });
    layout->addWidget(m_rows->tableView(), 1);
    m_rows->tableView()->setIsShowMenuWithEmptyTable(false);

    // The two-step guide shown while there is no recording.
    _guideBox = ListPageViews::guideBox(root, QStringLiteral("RecordGuide"), tr1("Two Steps to Record Videos"),
                                        {{QStringLiteral("record1"), tr1("Step 1: Click \"Record\" button")},
                                         {QStringLiteral("record2"), tr1("Step 2: Click \"REC\" to start recording")}});
    layout->addWidget(_guideBox, 1);
    buildMenu();
    setRecordButtonBusy(m_recordBusy);
    refreshRecordTableView();
}

void RecordViewCtrl::buildMenu()
{
    _menu = new QMenu(m_view);
    auto entry = [this](const char *title, const char *name, void (RecordViewCtrl::*run)()) {
        return ListPageViews::MenuEntry{tr1(title), QString::fromLatin1(name), [this, run] { (this->*run)(); }};
    };
    ListPageViews::addActions(_menu, {entry("Play", "playVideo:", &RecordViewCtrl::playVideo),
                                      entry("Rename", "rename:", &RecordViewCtrl::rename),
                                      entry("Show in File Manager", "fileLocation:", &RecordViewCtrl::fileLocation),
                                      entry("Add to Convert List", "ConvertItems:", &RecordViewCtrl::ConvertItems),
                                      entry("Add to Transfer List", "transferItem:", &RecordViewCtrl::transferItem),
                                      entry("Delete", "deleteItem:", &RecordViewCtrl::deleteItem),
                                      entry("Delete All", "DeleteAll:", &RecordViewCtrl::DeleteAll),
                                      entry("Clear invalid Files", "clearInvalidFile:", &RecordViewCtrl::clearInvalidFile)});
    _menu->addSeparator();
    _menuSortBy = _menu->addMenu(tr1("Apply Sort Field"));
    _menuSortBy->menuAction()->setObjectName(QStringLiteral("menuSortBy"));
    for (const SortTitle &s : kSortTitles) {
        QAction *a = _menuSortBy->addAction(tr1(s.title));
        a->setObjectName(QString::fromLatin1(s.action));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, key = s.key] { sortBy(key); });
    }
    _menuSortBy->addSeparator();
    for (bool ascending : {true, false}) {
        QAction *a = _menuSortBy->addAction(tr1(ascending ? "Ascending" : "Descending"));
        a->setObjectName(QString::fromLatin1(ascending ? "sortByAscending:" : "sortByDescending:"));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, ascending] { sortByOrder(ascending); });
    }
    connect(_menu, &QMenu::aboutToShow, this, [this] {
        const auto [key, ascending] = sortDescriptor();
        for (QAction *a : _menu->actions())
            a->setEnabled(validateMenuItem(a));
        for (const SortTitle &s : kSortTitles)
            if (QAction *a = menuItem(QString::fromLatin1(s.action)))
                a->setChecked(s.key == key);
        menuItem(QStringLiteral("sortByAscending:"))->setChecked(ascending);
        menuItem(QStringLiteral("sortByDescending:"))->setChecked(!ascending);
        // Opening the menu ends a name being edited.
        if (QWidget *focus = QApplication::focusWidget())
            focus->clearFocus();
    });
}

QAction *RecordViewCtrl::menuItem(const QString &actionName) const
{
    return ListPageViews::actionNamed(_menu, actionName);
}

DownloadTableView *RecordViewCtrl::tableView() const { return m_rows ? m_rows->tableView() : nullptr; }

std::shared_ptr<DownloadedItemViewCtrl> RecordViewCtrl::rowForNode(const DownloadNode::Ptr &node)
{
    return ListPageViews::rowOf(node, this, DownloadedItemViewCtrl::Library);
}

void RecordViewCtrl::setStateInfoLable(QLabel *label)
{
    if ((_stateInfoLable = label))
        updateState();
}

void RecordViewCtrl::startShowView()
{
    refreshRecordTableView();
    if (m_rows)
        m_rows->tableView()->setFocus();
}

QString RecordViewCtrl::stateText() const
{
    return m_loadNotice.isEmpty() ? ListPageViews::itemCountText(_displaylist.size()) : m_loadNotice;
}

void RecordViewCtrl::updateState()
{
    if (_stateInfoLable)
        _stateInfoLable->setText(stateText());
}

QRect RecordViewCtrl::windowFrame() const
{
    return m_view && m_view->window() ? m_view->window()->frameGeometry() : QRect();
}

void RecordViewCtrl::tell(const QString &message)
{
    if (m_messenger)
        m_messenger(message);
    else
        MGMessageBox::warning(message, QString(), QString(), tr1("OK"), QImage(), windowFrame());
}

// ---------------------------------------------------------------------------------------------
// The list

std::pair<RecordViewCtrl::SortKey, bool> RecordViewCtrl::sortDescriptor()
{
    UserDefaults &defaults = UserDefaults::standard();
    const QString key = defaults.stringForKey(kSortKey);
    for (const SortTitle &s : kSortTitles)
        if (key == tr1(s.title))
            return {s.key, defaults.stringForKey(kSortOrder) == tr1("Ascending")};
    if (key == tr1("Site"))
        return {SortKey::Site, defaults.stringForKey(kSortOrder) == tr1("Ascending")};
    defaults.setString(kSortKey, tr1("Date"));
    defaults.setString(kSortOrder, tr1("Descending"));
    return {SortKey::Date, false};
}

void RecordViewCtrl::refreshRecordTableView()
{
    if (m_rows)
        m_rows->detachRowViews();
    m_filter.setSearchText(_searchField ? _searchField->text() : QString());
    _displaylist.clear();
    for (const DownloadNode::Ptr &node : std::as_const(_recordlist))
        if (!m_filter.isActive() || m_filter.matches(node->fileName()))
            _displaylist.append(node);
    const auto [key, ascending] = sortDescriptor();
    // Equal values (every item loaded from the file has no add date) keep the list's order.
    auto compare = [key](const DownloadNode::Ptr &a, const DownloadNode::Ptr &b) -> int {
        switch (key) {
        case SortKey::Name:
            return QString::localeAwareCompare(a->fileName(), b->fileName());
        case SortKey::Date: {
            const QDateTime x = a->addDate(), y = b->addDate();
            if (!x.isValid() || !y.isValid())
                return 0;
            return x < y ? -1 : (y < x ? 1 : 0);
        }
        case SortKey::Length:
            return a->time() < b->time() ? -1 : (b->time() < a->time() ? 1 : 0);
        case SortKey::Size:
            return a->videoSize() < b->videoSize() ? -1 : (b->videoSize() < a->videoSize() ? 1 : 0);
        case SortKey::Site:
            return QString::compare(a->hostURL(), b->hostURL());
        }
        return 0;
    };
    std::stable_sort(_displaylist.begin(), _displaylist.end(), [&](const DownloadNode::Ptr &a, const DownloadNode::Ptr &b) {
        const int c = compare(a, b);
        return ascending ? c < 0 : c > 0;
    });
    if (m_rows) {
        m_rows->reload();
        // The guide stands for an empty list, not for a search without matches.
        const bool empty = _recordlist.isEmpty();
        m_rows->tableView()->setVisible(!empty);
        m_rows->tableView()->setMenu(empty ? nullptr : _menu);
        _guideBox->setVisible(empty);
    }
    updateState();
}

DownloadNode::Ptr RecordViewCtrl::addItem(const std::shared_ptr<DownloadedItem> &item, bool atTop)
{
    auto node = DownloadNode::create(item);
    // Identifiers stored in the file are not trusted: each item gets its own for this run.
    item->setDownloadID(m_nextItemID++);
    if (atTop)
        _recordlist.prepend(node);
    else
        _recordlist.append(node);
    rowForNode(node);
    requestThumbnail(item);
    return node;
}

void RecordViewCtrl::requestThumbnail(const std::shared_ptr<DownloadedItem> &item)
{
    if (!fileExists(item->thumbnailPath()) && fileExists(item->filePath()))
        _thumbnailServerWraper->DownloadedFileForThumbnail(item->filePath(), item->downloadID(), true);
}

void RecordViewCtrl::loadList()
{
    const RecordListStore::LoadResult loaded = m_store.load();
    for (const auto &item : loaded.items)
        addItem(item, false);
    if (loaded.damaged) {
        m_loadNotice = loaded.keptAsidePath.isEmpty()
                           ? tr1("The record list is damaged; %1 recording(s) could be read.").replace(QStringLiteral("%1"), QString::number(loaded.items.size()))
                           : tr1("The record list was damaged; %1 recording(s) could be read. The damaged file was kept as \"%2\".")
                                 .replace(QStringLiteral("%1"), QString::number(loaded.items.size()))
                                 .replace(QStringLiteral("%2"), loaded.keptAsidePath);
        ScribletLogInfo(m_loadNotice + QStringLiteral(" (") + loaded.error + QLatin1Char(')'));
    }
    refreshRecordTableView();
}

void RecordViewCtrl::recoverUnfinishedTakes()
{
    // A take the program did not finish (it was killed while recording) was still completed by
    // the recorder, under its own name or the name reserved for it, but never listed.
    QStringList listed;
    for (const DownloadNode::Ptr &node : std::as_const(_recordlist))
        if (const auto item = node->downloadItem())
            listed << item->filePath();
    const QStringList found = RecordingFiles::unlistedTakes(recordFolder(), listed, RecordingFiles::takesInProgress());
    if (found.isEmpty()) {
        RecordingFiles::forgetTakesInProgress();
        m_recoveryDone = true;
        return;
    }
    ScribletLogInfo(QStringLiteral("unfinished recordings found: %1").arg(found.join(QStringLiteral(", "))));
    QPointer<RecordViewCtrl> self(this);
    ItemsDone done = [self, found](const QList<std::shared_ptr<DownloadedItem>> &items) {
        if (self)
            self->takesRecovered(found, items);
    };
    if (g_takeReader) {
        g_takeReader(found, std::move(done));
        return;
    }
    m_recoveryDelegate = std::make_unique<LoaderAnswer>(std::move(done));
    m_recoveryLoader = std::make_shared<MediaLoaderController>();
    m_recoveryLoader->setDelegate(m_recoveryDelegate.get());
    m_recoveryLoader->loadMediaFilesFromLocal(found);
}

void RecordViewCtrl::takesRecovered(const QStringList &paths, const QList<std::shared_ptr<DownloadedItem>> &items)
{
    if (m_recoveryDone)
        return;
    m_recoveryDone = true;
    QSet<QString> read;
    int added = 0;
    for (const auto &item : items) {
        if (!item)
            continue;
        read.insert(item->filePath());
        // Dated by the file, so the list sorts it where it was recorded.
        item->setAddDate(QFileInfo(item->filePath()).lastModified());
        addItem(item, true);
        ++added;
    }
    // A file that cannot be read stays where it is, for the user to look at.
    for (const QString &path : paths)
        if (!read.contains(path))
            ScribletLogInfo(QStringLiteral("unfinished recording \"%1\" could not be read; it was left in place").arg(path));
    if (added > 0) {
        saveList();
        const QString notice = added == 1 ? tr1("A recording that was not finished was found and added to the list.")
                                          : tr1("%1 recordings that were not finished were found and added to the list.")
                                                .replace(QStringLiteral("%1"), QString::number(added));
        m_loadNotice = m_loadNotice.isEmpty() ? notice : m_loadNotice + QLatin1Char(' ') + notice;
    }
    RecordingFiles::forgetTakesInProgress();
    refreshRecordTableView();
}

bool RecordViewCtrl::saveList()
{
    QList<std::shared_ptr<DownloadedItem>> items;
    for (const DownloadNode::Ptr &node : std::as_const(_recordlist))
        items << node->downloadItem();
    QString error;
    if (!m_store.save(items, &error)) {
        ScribletLogInfo(QStringLiteral("RecordData not saved: %1").arg(error));
        return false;
    }
    return true;
}

QList<int> RecordViewCtrl::selectedRows() const { return m_rows ? m_rows->selectedRows() : QList<int>(); }

QList<DownloadNode::Ptr> RecordViewCtrl::selectedNodes() const
{
    QList<DownloadNode::Ptr> nodes;
    for (int row : selectedRows())
        if (row >= 0 && row < _displaylist.size())
            nodes << _displaylist[row];
    return nodes;
}

void RecordViewCtrl::selectRows(const QList<int> &rows)
{
    if (m_rows)
        m_rows->selectRows(rows);
}

// ---------------------------------------------------------------------------------------------
// Sorting

void RecordViewCtrl::rememberSelection()
{
    beforeSortSelectSet_.clear();
    for (const DownloadNode::Ptr &node : selectedNodes())
        beforeSortSelectSet_.insert(node->filePath());
}

void RecordViewCtrl::finishSort()
{
    refreshRecordTableView();
    QList<int> rows;
    for (int i = 0; i < _displaylist.size(); ++i)
        if (beforeSortSelectSet_.contains(_displaylist[i]->filePath()))
            rows << i;
    selectRows(rows);
}

void RecordViewCtrl::sortBy(SortKey key)
{
    rememberSelection();
    for (const SortTitle &s : kSortTitles)
        if (s.key == key)
            UserDefaults::standard().setString(kSortKey, tr1(s.title));
    finishSort();
}

void RecordViewCtrl::sortByOrder(bool ascending)
{
    rememberSelection();
    UserDefaults::standard().setString(kSortOrder, tr1(ascending ? "Ascending" : "Descending"));
    finishSort();
}

bool RecordViewCtrl::validateMenuItem(QAction *item) const
{
    if (!item)
        return false;
    const QString name = item->objectName();
    const QList<DownloadNode::Ptr> selected = selectedNodes();
    if (name == QLatin1String("fileLocation:") || name == QLatin1String("rename:"))
        return selected.size() == 1;
    if (name == QLatin1String("playVideo:") || name == QLatin1String("deleteItem:"))
        return !selected.isEmpty();
    if (name == QLatin1String("DeleteAll:") || name == QLatin1String("clearInvalidFile:"))
        return !_displaylist.isEmpty();
    if (name == QLatin1String("ConvertItems:") || name == QLatin1String("transferItem:"))
        return std::any_of(selected.begin(), selected.end(), [](const DownloadNode::Ptr &n) { return fileExists(n->filePath()); });
    return true;
}

// ---------------------------------------------------------------------------------------------
// Recording

void RecordViewCtrl::setRecordButtonBusy(bool busy)
{
    m_recordBusy = busy;
    if (_btnRecord) {
        _btnRecord->setEnabled(!busy);
        _btnRecord->setIconSliceName(QString::fromLatin1(busy ? "mainform-778" : "mainform-171"));
        _btnRecord->update();
    }
    if (_btnRecordArrow)
        _btnRecordArrow->setEnabled(!busy);
}

void RecordViewCtrl::Record() { startRecording(false); }

void RecordViewCtrl::RecordRegion() { startRecording(true); }

void RecordViewCtrl::showRecordMenu()
{
    if (m_recordBusy || !_recordMenu || !_btnRecord)
        return;
    _recordMenu->popup(_btnRecord->mapToGlobal(QPoint(0, _btnRecord->height())));
}

void RecordViewCtrl::startRecording(bool region)
{
    if (m_recordBusy)
        return;
    if (_screenRecordCtrl)
        _screenRecordCtrl->setDelegate(nullptr);
    _screenRecordCtrl = std::make_unique<ScreenRecordCtrl>(this, m_server);
    setRecordButtonBusy(true);
    WKDataColleciton::share().collectMainFeature(QStringLiteral("MainFeature_Record"));
    if (region)
        _screenRecordCtrl->showRegionRecordWnd(recordFolder());
    else
        _screenRecordCtrl->showScreenRecordWnd(recordFolder());
}

void RecordViewCtrl::cropWillClose(ScreenRecordCtrl *)
{
    setRecordButtonBusy(false);
    WKDataColleciton::share().collectRecordComplete(false);
    WKDataColleciton::share().collectRecordState(QStringLiteral("Cancel"));
}

void RecordViewCtrl::recordDidEnd(ScreenRecordCtrl *, const QString &outFile)
{
    setRecordButtonBusy(false);
    if (_searchField)
        _searchField->clear();
    WKDataColleciton::share().collectRecordComplete(true);
    if (m_importer) {
        m_importer({outFile});
        return;
    }
    if (m_loader)
        m_loader->setDelegate(nullptr);
    m_loader = MediaLoaderWnd::importFiles(m_view ? m_view->window() : nullptr, {outFile}, this);
}

void RecordViewCtrl::mediaLoaderDidEndLoadFiles(const QList<std::shared_ptr<DownloadedItem>> &items)
{
    if (items.isEmpty() || !items.first()) {
        WKDataColleciton::share().collectRecordState(QStringLiteral("Failed"));
        return;
    }
    WKDataColleciton::share().collectRecordState(QStringLiteral("Success"));
    if (_searchField)
        _searchField->clear();
    const auto item = items.first();
    if (!item->addDate().isValid())
        item->setAddDate(QDateTime::currentDateTime());
    const DownloadNode::Ptr node = addItem(item, true);
    // Saved now: a crash before the thumbnail arrives must not lose the recording.
    if (saveList())
        RecordingFiles::markTakeEnded(item->filePath());
    refreshRecordTableView();
    const int row = int(_displaylist.indexOf(node));
    if (row >= 0 && m_rows) {
        selectRows({row});
        if (DownloadTableView *table = m_rows->tableView())
            table->scrollTo(table->model()->index(row, 0));
    }
    WKDataColleciton::share().collectRecordTime(int(item->time()));
    WKDataColleciton::share().collectRecordScreenSize(item->resolution());
}

void RecordViewCtrl::getThumbnailPath(const QString &thumbnailPath, const QString &videoPath, qint64, int)
{
    for (const DownloadNode::Ptr &node : std::as_const(_recordlist)) {
        const auto item = node->downloadItem();
        if (!item || item->filePath() != videoPath)
            continue;
        // Copied, not moved: the other lists may have been handed the same picture.
        const QString folder = thumbnailFolder();
        AppPaths::ensureFolder(folder);
        QString target = folder + QLatin1Char('/') + QFileInfo(thumbnailPath).fileName();
        if (QFileInfo(target).absoluteFilePath() != QFileInfo(thumbnailPath).absoluteFilePath()) {
            QFile::remove(target);
            if (!QFile::copy(thumbnailPath, target))
                target = thumbnailPath;
        }
        item->setThumbnailPath(target);
        if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
            row->displayViewCtroller(item);
        saveList();
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// Rows and their files

bool RecordViewCtrl::checkSelectedFilesExist(const std::shared_ptr<DownloadedItem> &item)
{
    if (item && fileExists(item->filePath()))
        return true;
    // A missing file in a selection of several is refused without a word.
    if (!item || selectedRows().size() > 1)
        return false;
    const QString question = tr1("The video could not be used because the original file could not be found. \nWould you like to locate it or remove it from the list?");
    const int answer = MGMessageBox::question(question, QString(), item->fileName(), tr1("Locate"), tr1("Remove"), tr1("Cancel"), QImage(), windowFrame());
    if (answer == MGMessageBox::ThirdButton)
        return false;
    if (answer == MGMessageBox::OtherButton) {
        for (const DownloadNode::Ptr &node : std::as_const(_recordlist))
            if (node->downloadItem() == item) {
                removeNode(node);
                break;
            }
        saveList();
        refreshRecordTableView();
        return false;
    }
    Workspace::openFolder(QFileInfo(item->filePath()).absolutePath());
    return false;
}

void RecordViewCtrl::fileLocation()
{
    const QList<DownloadNode::Ptr> selected = selectedNodes();
    if (selected.isEmpty() || !checkSelectedFilesExist(selected.first()->downloadItem()))
        return;
    Workspace::revealInFileManager({selected.first()->filePath()});
}

void RecordViewCtrl::openFolder()
{
    const QString folder = recordFolder();
    AppPaths::ensureFolder(folder);
    Workspace::openFolder(folder);
}

void RecordViewCtrl::playVideo()
{
    const QList<DownloadNode::Ptr> selected = selectedNodes();
    if (!selected.isEmpty())
        playWillStart(selected.first());
}

void RecordViewCtrl::playWillStart(const DownloadNode::Ptr &node)
{
    QList<std::shared_ptr<DownloadedItem>> items;
    for (const DownloadNode::Ptr &n : std::as_const(_displaylist))
        items << n->downloadItem();
    const int index = qMax(0, int(_displaylist.indexOf(node)));
    if (!node || !checkSelectedFilesExist(node->downloadItem()))
        return;
    if (m_playerOpener)
        return m_playerOpener(items, index);
    // One player at a time: the last one opened is replaced.
    delete _player.data();
    _player = new MTPreviewPlayerWndCtl(view() ? view()->window() : nullptr);
    _player->openMediaList(items, index);
}

// ---------------------------------------------------------------------------------------------
// Deleting

void RecordViewCtrl::removeNode(const DownloadNode::Ptr &node)
{
    if (m_rows)
        m_rows->forgetRow(node);
    _recordlist.removeAll(node);
    _displaylist.removeAll(node);
}

void RecordViewCtrl::deleteNodes(const QList<DownloadNode::Ptr> &nodes, int answer)
{
    QStringList kept;
    for (const DownloadNode::Ptr &node : nodes) {
        const QString path = node->filePath();
        if (answer == DeleteModalWindowCtr::DeleteWithFiles && QFileInfo::exists(path)) {
            QString error;
            const bool trashed = m_trasher ? m_trasher(path, &error) : Trash::moveToTrash(path, nullptr, &error);
            if (!trashed) {
                // The file stays, and so does its row: the user can try again.
                ScribletLogInfo(QStringLiteral("move %1 to trash failed!!! %2").arg(path, error));
                kept << QFileInfo(path).fileName();
                continue;
            }
        }
        removeNode(node);
    }
    if (!kept.isEmpty())
        tell(tr1("These files could not be moved to the Trash and stay in the list:") + QLatin1Char('\n') + kept.join(QLatin1Char('\n')));
}

void RecordViewCtrl::deleteItem()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const int answer = DeleteModalWindowCtr::showDeleteItemsTip(windowFrame());
    if (answer == DeleteModalWindowCtr::Cancel)
        return;
    const int first = *std::min_element(rows.begin(), rows.end());
    deleteNodes(selectedNodes(), answer);
    refreshRecordTableView();
    saveList();
    if (!_displaylist.isEmpty())
        selectRows({qMin(first, int(_displaylist.size()) - 1)});
}

void RecordViewCtrl::DeleteAll()
{
    if (_recordlist.isEmpty())
        return;
    const int answer = DeleteModalWindowCtr::showDeleteAllItemsTip(windowFrame());
    if (answer == DeleteModalWindowCtr::Cancel)
        return;
    deleteNodes(_recordlist, answer);
    refreshRecordTableView();
    saveList();
}

void RecordViewCtrl::downloadedItemWillDelete(const DownloadNode::Ptr &node)
{
    const int row = int(_displaylist.indexOf(node));
    if (row < 0)
        return;
    selectRows({row});
    deleteItem();
}

void RecordViewCtrl::deleteItemWithKeyDown(const Notification &n)
{
    if (m_rows && n.objectPointer() == m_rows->tableView())
        deleteItem();
    else if (m_view && m_view->isVisible())
        QApplication::beep();
}

void RecordViewCtrl::clearInvalidFile()
{
    const int answer = MGMessageBox::question(tr1("Collating will clear all unavailable tracks that the original files could not be found."),
                                              QString(), tr1("Cancel"), tr1("Collate"), QImage(), windowFrame());
    if (answer != MGMessageBox::OtherButton)
        return;
    for (int i = int(_recordlist.size()) - 1; i >= 0; --i)
        if (!fileExists(_recordlist[i]->filePath()))
            removeNode(_recordlist[i]);
    saveList();
    refreshRecordTableView();
}

// ---------------------------------------------------------------------------------------------
// Renaming

void RecordViewCtrl::rename()
{
    const QList<DownloadNode::Ptr> selected = selectedNodes();
    if (selected.size() != 1 || !checkSelectedFilesExist(selected.first()->downloadItem()))
        return;
    if (auto row = rowForNode(selected.first()))
        row->beginTitleEditing();
}

void RecordViewCtrl::changeDidEnd(const DownloadNode::Ptr &node, const QString &title)
{
    const auto item = node ? node->downloadItem() : nullptr;
    if (!item)
        return;
    const QString oldPath = item->filePath();
    const LibraryRename::Result result = LibraryRename::renameFile(oldPath, item->fileSuffix(), title, [this, &oldPath](const QString &path) {
        for (const DownloadNode::Ptr &n : std::as_const(_recordlist))
            if (n->filePath() == path && path != oldPath)
                return true;
        return false;
    });
    if (result.outcome == LibraryRename::Outcome::Renamed) {
        item->setFilePath(result.newPath);
        saveList();
    } else if (result.outcome == LibraryRename::Outcome::InvalidName || result.outcome == LibraryRename::Outcome::NameTaken) {
        MGMessageBox::warning(LibraryRename::warningText(result), LibraryRename::warningTitle(result), QString(), tr1("OK"), QImage(), windowFrame());
    } else if (result.outcome == LibraryRename::Outcome::MoveFailed) {
        ScribletLogInfo(QStringLiteral("rename of %1 failed: %2").arg(oldPath, result.error));
    }
    if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
        row->displayViewCtroller(item);
    refreshRecordTableView();
}

// ---------------------------------------------------------------------------------------------
// Hand-offs

void RecordViewCtrl::handOff(const QList<std::shared_ptr<DownloadedItem>> &items, bool toConverter)
{
    if (items.isEmpty())
        return;
    QVariantList list;
    for (const auto &item : items)
        list << QVariant::fromValue(item);
    if (toConverter)
        WKDataColleciton::share().collectConvertSourceFrom(QStringLiteral("Record"));
    else
        WKDataColleciton::share().collectTransferSourceFrom(QStringLiteral("Record"));
    NotificationCenter::defaultCenter().post(toConverter ? NotificationNames::AddToConverterNotification : NotificationNames::AddToTransferNotification,
                                             list);
}

void RecordViewCtrl::ConvertItems()
{
    QList<std::shared_ptr<DownloadedItem>> items;
    for (const DownloadNode::Ptr &node : selectedNodes())
        items << node->downloadItem();
    handOff(items, true);
}

void RecordViewCtrl::transferItem()
{
    QList<std::shared_ptr<DownloadedItem>> items;
    for (const DownloadNode::Ptr &node : selectedNodes())
        items << node->downloadItem();
    handOff(items, false);
}

void RecordViewCtrl::downloadedItemAddToConverter(const DownloadNode::Ptr &node)
{
    if (node && node->downloadItem())
        handOff({node->downloadItem()}, true);
}

void RecordViewCtrl::downloadedItemAddToTransfer(const DownloadNode::Ptr &node)
{
    if (node && node->downloadItem())
        handOff({node->downloadItem()}, false);
}
