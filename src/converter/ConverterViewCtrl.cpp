#include "converter/ConverterViewCtrl.h"

#include "controls/DownloadTableView.h"
#include "controls/MGHoverButton.h"
#include "converter/ConverterGlobal.h"
#include "converter/EncFormatMgr.h"
#include "converter/IM_MediaItemExtended.h"
#include "converter/OneModeOutputNames.h"
#include "converter/OpenPanel.h"
#include "converter/OutputNameWatcher.h"
#include "converter/TBMultiMediaItem.h"
#include "converter/TBVideoConvertTask.h"
#include "downloads/DeleteModalWindowCtr.h"
#include "downloads/DownloadedItem.h"
#include "downloads/DownloadedRowHost.h"
#include "downloads/FileInfoItem.h"
#include "downloads/ListPageViews.h"
#include "downloads/MediaLoaderWnd.h"
#include "library/MTPreviewPlayerWndCtl.h"
#include "library/ThumbnailCallback.h"
#include "library/ThumbnailServerWraper.h"
#include "media/QVMediaFileInfo.h"
#include "platform/AppPaths.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "platform/log/ScribletLogger.h"
#include "shell/CommonFun.h"
#include "shell/CommonFunDesktop.h"
#include "shell/UIManager.h"
#include "shell/WKDataColleciton.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace {

QString tr1(const char *english) { return MainBundle::localizedString(english); }

bool fileExists(const QString &path) { return !path.isEmpty() && QFileInfo::exists(path); }

bool statusIn(const DownloadNode::Ptr &node, std::initializer_list<quint32> states)
{
    const auto item = node ? node->downloadItem() : nullptr;
    return item && std::find(states.begin(), states.end(), item->taskStatus()) != states.end();
}

// Queued, converting or paused: a job stands behind the row.
bool isBusy(const DownloadNode::Ptr &node)
{
    return statusIn(node, {DownloadedItem::TaskWaiting, DownloadedItem::TaskRunning, DownloadedItem::TaskPaused});
}

} // namespace

ConverterViewCtrl::ConverterViewCtrl(ThumbnailServerWraper *thumbnails, EncFormatMgr *catalogue, QObject *parent)
    : QObject(parent), _supportConverExt(supportedExtensions()), _taskManager(std::make_unique<TBConverterTaskManager>()), _thumbnailServerWraper(thumbnails ? thumbnails : &ThumbnailServerWraper::share()), m_catalogue(catalogue), m_names(std::make_shared<OutputNameWatcher>(
                                                                                                                                                                                                                                          [this](DownloadedItem &item, quint32 taskStatus) { conversionDidEnd(item, taskStatus); }))
{
    _taskManager->setDelegate(this);
    m_thumbnailReceiver = std::make_shared<ThumbnailCallback>(
        this, [this](const QString &thumb, const QString &video, qint64 id, int type) { getThumbnailPath(thumb, video, id, type); });
    _thumbnailServerWraper->setConverterDelegate(m_thumbnailReceiver);
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, NotificationNames::DeleteNotification,
                       [this](const Notification &n) { deleteItemWithKeyDown(n); });
    // Space over the list is taken and left alone.
    center.addObserver(this, NotificationNames::SpaceDownNotification, [](const Notification &) {});
}

ConverterViewCtrl::~ConverterViewCtrl()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    if (m_loader)
        m_loader->setDelegate(nullptr);
    ListPageViews::detachRows(_converlist);
    _taskManager->setDelegate(nullptr);
    _taskManager->cancelCurrentTasks();
    m_names->releaseAll();
    _tmpConvList.clear();
    if (_player)
        delete _player.data();
    if (_formatWndCtrl)
        delete _formatWndCtrl.data();
    {
        // A row's view going down under the pointer makes the table hear the pointer leave;
        // its row host must then walk an empty list, not the one being destroyed.
        const QList<DownloadNode::Ptr> rows = std::exchange(_converlist, {});
    }
    if (m_view)
        delete m_view.data();
}

QStringList ConverterViewCtrl::supportedExtensions()
{
    return ListPageViews::importExtensions();
}

bool ConverterViewCtrl::isSupportedPath(const QString &path)
{
    return supportedExtensions().contains(QFileInfo(path).suffix());
}

QString ConverterViewCtrl::convertedFolder()
{
    const QString stored = UserDefaults::standard().stringForKey(QStringLiteral("convertedPath"));
    if (!stored.isEmpty())
        return stored;
    return QDir(AppPaths::movies()).filePath(QStringLiteral("iQuenmark Orrisca Studio Videos/Converted"));
}

// ---------------------------------------------------------------------------------------------
// View

QWidget *ConverterViewCtrl::view()
{
    if (!m_view)
        loadView();
    return m_view;
}

void ConverterViewCtrl::loadView()
{
    auto *root = new QWidget;
    m_view = root;
    QVBoxLayout *layout = ListPageViews::whitePageLayout(root, QStringLiteral("ConverterViewCtrl"));

    auto *bar = new QWidget(root);
    bar->setObjectName(QStringLiteral("ConverterBar"));
    bar->setFixedHeight(56);
    bar->setStyleSheet(QStringLiteral("#ConverterBar{background:#FFFFFF;border-bottom:1px solid #E1E5E8;}"));
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(16, 8, 16, 8);
    barLayout->setSpacing(8);
    auto toolButton = [bar](const char *tip, const QString &slices, const char *name) {
        auto *b = new MGHoverButton(bar);
        b->setObjectName(QString::fromLatin1(name));
        UIManager::setupHoverButtonThemeInMain(b, slices);
        b->setDrawMode(0);
        b->setToolTip(tr1(tip));
        b->setFixedSize(32, 32);
        return b;
    };
    _btnAdd = toolButton("Add", QStringLiteral("mainform-484,mainform-485,mainform-486,mainform-487"), "btnAdd");
    _btnDelete = toolButton("Delete", QStringLiteral("mainform-328,mainform-329,mainform-330,mainform-331"), "btnDelete");
    _btnOpenFolder = toolButton("Show in File Manager", QStringLiteral("mainform-445,mainform-446,mainform-447,mainform-448"),
                                "btnOpenFolder");
    _btnConvertAll = new MGHoverButton(bar);
    _btnConvertAll->setObjectName(QStringLiteral("btnConvertAll"));
    _btnConvertAll->setButtonDisplayType(1);
    _btnConvertAll->setTitle(tr1("Convert All"));
    _btnConvertAll->setIconSliceName(QStringLiteral("mainform-706"));
    _btnConvertAll->setHoverIconSliceName(QStringLiteral("mainform-706721"));
    _btnConvertAll->setDownIconSliceName(QStringLiteral("mainform-706722"));
    _btnConvertAll->setMinimumSize(120, 32);
    barLayout->addWidget(_btnAdd);
    barLayout->addWidget(_btnDelete);
    barLayout->addWidget(_btnOpenFolder);
    barLayout->addStretch(1);
    barLayout->addWidget(_btnConvertAll);
    layout->addWidget(bar);
    connect(_btnAdd, &MGHoverButton::clicked, this, [this] { importFile(); });
    connect(_btnDelete, &MGHoverButton::clicked, this, [this] { deleteItems(); });
    connect(_btnOpenFolder, &MGHoverButton::clicked, this, [this] { openOutputFolder(); });
    connect(_btnConvertAll, &MGHoverButton::clicked, this, [this] { convertAll(); });

    m_rows = ListPageViews::droppableRows(root, layout, _converlist, [this](const DownloadNode::Ptr &node) { return rowForNode(node); },
                                          this);
    connect(m_rows, &DownloadedRowHost::rowDoubleClicked, this, [this] { playVideo(); });

    // The guide shown over an empty list: two ways to convert.
    _guideBox = new QWidget(root);
    _guideBox->setObjectName(QStringLiteral("ConverterGuide"));
    _guideBox->setAutoFillBackground(true);
    _guideBox->setAcceptDrops(true);
    _guideBox->installEventFilter(this);
    auto *guide = new QVBoxLayout(_guideBox);
    guide->setContentsMargins(40, 30, 40, 30);
    auto *title = new QLabel(tr1("Two Ways to Convert Videos"), _guideBox);
    title->setObjectName(QStringLiteral("lblTitle"));
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(QStringLiteral("font-size:18px;color:#1F2933;"));
    guide->addStretch(1);
    guide->addWidget(title);
    auto *steps = new QHBoxLayout;
    const QPair<const char *, const char *> parts[] = {{"convert1", "Click 'Add' or drag and drop to add files"},
                                                       {"x4e11x5973x513fx7ae5", "Convert downloaded/recorded files"}};
    for (const auto &[slice, text] : parts) {
        auto *column = new QVBoxLayout;
        auto *img = new QLabel(_guideBox);
        img->setPixmap(QPixmap::fromImage(UIManager::sliceNamedInGuideMap(QString::fromLatin1(slice))));
        img->setAlignment(Qt::AlignCenter);
        auto *step = new QLabel(tr1(text), _guideBox);
        step->setAlignment(Qt::AlignCenter);
        step->setStyleSheet(QStringLiteral("color:#5F6B7A;font-size:13px;"));
        column->addWidget(img);
        column->addWidget(step);
        steps->addLayout(column);
    }
    guide->addLayout(steps);
    guide->addStretch(2);

    buildMenu();
    refresh();
}

void ConverterViewCtrl::buildMenu()
{
    _menu = new QMenu(m_view);
    const struct
    {
        const char *title, *name;
        void (ConverterViewCtrl::*run)();
    } items[] = {
        {"Converter", "convertItems:", &ConverterViewCtrl::convertItems},
        {"Stop", "stopItems:", &ConverterViewCtrl::stopItems},
        {"Play", "playVideo:", &ConverterViewCtrl::playVideo},
        {"Show in File Manager", "showInFinder:", &ConverterViewCtrl::showInFinder},
        {"Add to Transfer List", "transfer:", &ConverterViewCtrl::transfer},
        {"Delete", "deleteItems:", &ConverterViewCtrl::deleteItems},
        {"Delete All", "deleteAll:", &ConverterViewCtrl::deleteAll},
    };
    for (const auto &i : items) {
        QAction *a = _menu->addAction(tr1(i.title));
        a->setObjectName(QString::fromLatin1(i.name));
        connect(a, &QAction::triggered, this, [this, run = i.run] { (this->*run)(); });
    }
    connect(_menu, &QMenu::aboutToShow, this, [this] {
        for (QAction *a : _menu->actions())
            a->setEnabled(validateMenuItem(a));
    });
}

QAction *ConverterViewCtrl::menuItem(const QString &actionName) const
{
    if (!_menu)
        return nullptr;
    for (QAction *a : _menu->actions())
        if (a->objectName() == actionName)
            return a;
    return nullptr;
}

DownloadTableView *ConverterViewCtrl::tableView() const { return m_rows ? m_rows->tableView() : nullptr; }

std::shared_ptr<DownloadedItemViewCtrl> ConverterViewCtrl::rowForNode(const DownloadNode::Ptr &node)
{
    if (!node || !node->downloadItem())
        return nullptr;
    if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
        return row;
    return DownloadedItemViewCtrl::create(node, this, DownloadedItemViewCtrl::Converter);
}

void ConverterViewCtrl::refresh()
{
    ListPageViews::reloadWithGuide(m_rows, _guideBox, _menu, _converlist.isEmpty());
    updateState();
}

void ConverterViewCtrl::updateState()
{
    if (_stateInfoLable)
        _stateInfoLable->setText(stateText());
}

QString ConverterViewCtrl::stateText() const
{
    if (_converlist.isEmpty())
        return QString();
    return tr1("%d items").replace(QStringLiteral("%d"), QString::number(_converlist.size()));
}

void ConverterViewCtrl::setStateInfoLable(QLabel *label)
{
    _stateInfoLable = label;
    updateState();
}

void ConverterViewCtrl::startShowView()
{
    if (DownloadTableView *table = tableView())
        table->setFocus();
    refresh();
}

bool ConverterViewCtrl::isHasTask() const
{
    return std::any_of(_converlist.begin(), _converlist.end(), isBusy);
}

QList<int> ConverterViewCtrl::selectedRows() const { return m_rows ? m_rows->selectedRows() : QList<int>(); }

QList<DownloadNode::Ptr> ConverterViewCtrl::selectedNodes() const
{
    return m_rows ? m_rows->selectedNodes() : QList<DownloadNode::Ptr>();
}

void ConverterViewCtrl::selectRows(const QList<int> &rows)
{
    if (m_rows)
        m_rows->selectRows(rows);
}

// ---------------------------------------------------------------------------------------------
// Adding files

void ConverterViewCtrl::importFile()
{
    QStringList paths;
    if (m_fileChooser) {
        paths = m_fileChooser();
    } else {
        OpenPanel panel(m_view ? m_view->window() : nullptr);
        QStringList patterns;
        for (const QString &e : std::as_const(_supportConverExt))
            patterns << QStringLiteral("*.") + e;
        if (panel.runModalForDirectory(QString(), QString(),
                                       {tr1("Media Files") + QLatin1Char(' ') + patterns.join(QLatin1Char(';'))})
            != QDialog::Accepted)
            return;
        paths = panel.selectedFiles();
    }
    paths.erase(std::remove_if(paths.begin(), paths.end(), [](const QString &p) { return !isSupportedPath(p); }),
                paths.end());
    if (paths.isEmpty())
        return;
    WKDataColleciton::share().collectConvertSourceFrom(QStringLiteral("Add"));
    WKDataColleciton::share().collectConvertAddFormat(QFileInfo(paths.constLast()).suffix());
    importPaths(paths);
}

void ConverterViewCtrl::importPaths(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    if (m_importer) {
        m_importer(paths);
        return;
    }
    if (m_loader)
        m_loader->setDelegate(nullptr);
    QWidget *window = m_view ? m_view->window() : nullptr;
    m_loader = MediaLoaderWnd::importFiles(window, paths, this);
}

bool ConverterViewCtrl::eventFilter(QObject *watched, QEvent *event)
{
    if (ListPageViews::filterListEvent(watched, event, m_rows, _guideBox, [](const QString &path) { return isSupportedPath(path); },
                                       [this](const QStringList &paths) { importPaths(paths); }))
        return true;
    return QObject::eventFilter(watched, event);
}

void ConverterViewCtrl::addConverterFiles(const QVariantList &items)
{
    QList<std::shared_ptr<DownloadedItem>> made;
    for (const QVariant &v : items) {
        const auto item = v.value<std::shared_ptr<DownloadedItem>>();
        if (!item || !fileExists(item->filePath()))
            continue; // gone since the other page listed it
        made << std::make_shared<DownloadedItem>(static_cast<const FileInfoItem &>(*item));
    }
    mediaLoaderDidEndLoadFiles(made);
}

void ConverterViewCtrl::mediaLoaderDidEndLoadFiles(const QList<std::shared_ptr<DownloadedItem>> &items)
{
    for (const auto &item : items) {
        if (!item)
            continue;
        auto node = DownloadNode::create(item);
        _converlist.prepend(node);
        item->setDownloadID(m_nextItemID++);
        rowForNode(node);
        if (!fileExists(item->thumbnailPath()))
            _thumbnailServerWraper->DownloadedFileForThumbnail(item->filePath(), item->downloadID(), true);
    }
    refresh();
    if (m_rows && !items.isEmpty()) {
        QList<int> fresh;
        for (int i = 0; i < items.size() && i < _converlist.size(); ++i)
            fresh << i;
        m_rows->selectRows(fresh);
        m_rows->scrollToTop();
    }
}

void ConverterViewCtrl::getThumbnailPath(const QString &thumbnailPath, const QString &videoPath, qint64, int)
{
    ListPageViews::applyThumbnail(_converlist, thumbnailPath, videoPath);
}

// ---------------------------------------------------------------------------------------------
// Converting

ConvFromatController *ConverterViewCtrl::formatSheet()
{
    if (!_formatWndCtrl) {
        _formatWndCtrl = new ConvFromatController(m_catalogue, m_view ? m_view->window() : nullptr);
        _formatWndCtrl->setDelegate(this);
    }
    return _formatWndCtrl;
}

void ConverterViewCtrl::showSheet()
{
    ConvFromatController *sheet = formatSheet();
    if (m_sheetShower)
        m_sheetShower(sheet);
    else
        sheet->showSheet(m_view ? m_view->window() : nullptr);
}

void ConverterViewCtrl::convertAll()
{
    if (_converlist.isEmpty())
        return;
    _tmpConvList.clear();
    for (const DownloadNode::Ptr &node : std::as_const(_converlist))
        if (statusIn(node, {DownloadedItem::TaskNone, DownloadedItem::TaskFailed}))
            _tmpConvList << node;
    WKDataColleciton::share().collectMainFeature(QStringLiteral("MainFeature_Convert"));
    showSheet();
}

void ConverterViewCtrl::convertItems()
{
    _tmpConvList.clear();
    for (const DownloadNode::Ptr &node : selectedNodes())
        if (statusIn(node, {DownloadedItem::TaskNone, DownloadedItem::TaskFailed}))
            _tmpConvList << node;
    showSheet();
}

void ConverterViewCtrl::downloadedItemStartConverter(const DownloadNode::Ptr &node)
{
    if (!node)
        return;
    _tmpConvList = {node};
    showSheet();
}

void ConverterViewCtrl::paramWindowClose(int resultCode, const QVariantMap &param)
{
    const QList<DownloadNode::Ptr> pending = std::exchange(_tmpConvList, {});
    if (resultCode == 0)
        return;
    IM_EncodeParamEx sheetBlock = EncodeParamData::zeroed();
    const QByteArray data = param.value(QStringLiteral("encParam")).toByteArray();
    // A short block starts nothing: no row turns busy for a job that cannot be described.
    if (param.value(QStringLiteral("encParam")).typeId() != QMetaType::QByteArray
        || data.size() < qsizetype(sizeof(IM_EncodeParamEx))
        || !EncodeParamData::fromData(data.left(sizeof(IM_EncodeParamEx)), &sheetBlock)) {
        ScribletLogError(QStringLiteral("convert parameters refused: an encoder block of %1 bytes").arg(data.size()));
        return;
    }
    for (const DownloadNode::Ptr &node : std::as_const(_converlist))
        if (pending.contains(node))
            convertRow(node, sheetBlock, param);
    refresh();
}

bool ConverterViewCtrl::convertRow(const DownloadNode::Ptr &node, const IM_EncodeParamEx &sheetBlock,
                                   const QVariantMap &param)
{
    const auto item = node->downloadItem();
    if (!item)
        return false;
    const int formatID = param.value(QStringLiteral("formatID")).toInt();
    // Every row starts from the sheet's block: one row's fitting never leaks into the next.
    const QVMediaFileInfo info(item->filePath());
    IM_MediaItemExtended media(info.isValid() && info.programInfoAtIndex(0)
                                   ? IM_MediaItem::initMediaItemWithProgramInfo(info.programInfoAtIndex(0), info)
                                   : IM_MediaItem());
    if (m_catalogue)
        media.setFormatCatalogue(m_catalogue);
    media.setEncodeParam(sheetBlock);
    media.setFormatId(formatID);
    media.setEncAutoFlag(sheetBlock.smartFitMask);
    if (info.isValid())
        media.autoAdjustEncodeParam(sheetBlock.smartFitMask);
    const IM_EncodeParamEx fitted = media.encodeParam();

    item->setConvertParam(param);
    const QString title = param.value(QStringLiteral("FormatTitle")).toString();
    const QString state = QStringLiteral("%1 -> %2").arg(item->fileSuffix().toUpper(), title);
    WKDataColleciton::share().collectConvertSourceAimsFormat(state);
    item->setTask2StateStr(state);
    item->setIsAddToItunes(param.value(QStringLiteral("isExportToItunes")).toBool());
    item->setIsOpenConvertedFile(param.value(QStringLiteral("isShowInFinder")).toBool());
    item->setCovertedFilePath(QString());
    item->setPercent(0);

    // The subtitle choice and the lossless check come before the name: a source taken over
    // unchanged keeps its own frame size, and the name says the size the output has.
    const bool mergeSubtitle = param.value(QStringLiteral("isMergeSubtitle")).toBool();
    if (mergeSubtitle && !item->subtitlePath().isEmpty())
        media.addExternalSubtitle(item->subtitlePath(), true);
    const bool lossless = info.isValid() && media.isMediaItemLossless();
    const IM_EncodeParamEx jobBlock = media.encodeParam();
    const QString targetPath = targetFilePathWith(item->filePath(), media.outputFrameSize(jobBlock, lossless), formatID);
    if (targetPath.isEmpty()) {
        ScribletLogError(QStringLiteral("no output name for %1 in %2").arg(item->filePath(), convertedFolder()));
        item->setTaskStatus(DownloadedItem::TaskFailed);
        item->sendTaskDidChangeState();
        return false;
    }
    auto target = std::make_shared<TBMultiMediaItem>();
    target->fillFromEncodeParam(fitted);
    target->setSmartFixFlag(fitted.smartFitMask);
    target->setFourCC(fitted.containerFourCC);
    target->setFilePath(targetPath);
    if (mergeSubtitle)
        target->setSubtitlePath(item->subtitlePath());
    const auto job = _taskManager->addConvertTaskWithFile(item->filePath(), target);
    job->setLosslessConvert(lossless);
    ScribletLogInfo(QStringLiteral("[ %>_<% ] LossLessConvert Enabled:%1").arg(lossless ? "YES" : "NO"));
    job->setEncodeParams(EncodeParamData::toData(jobBlock));
    item->setCovertedFilePath(targetPath);
    ScribletLogInfo(QStringLiteral("Encode Param Description: %1").arg(EncodeParamDescription(&fitted, 4)));

    m_names->watch(item, targetPath);
    item->setConverterItem(job);
    item->addDelegate(node);
    item->addDelegate(m_names);
    _taskManager->runNextTask();
    if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
        row->displayViewCtroller(item);
    return true;
}

QString ConverterViewCtrl::targetFilePathWith(const QString &sourcePath, const QSizeF &size, int formatID)
{
    OneModeOutputNames names(m_catalogue);
    return names.targetFilePathWith(sourcePath, size, formatID, convertedFolder());
}

std::optional<std::shared_ptr<TBVideoConvertTask>> ConverterViewCtrl::nextConvertTask()
{
    for (const DownloadNode::Ptr &node : std::as_const(_converlist)) {
        const auto item = node->downloadItem();
        const auto job = item ? std::dynamic_pointer_cast<TBVideoConvertTask>(item->converterItem()) : nullptr;
        if (job && job->taskStatus() == ConvertJob::Waiting)
            return job;
    }
    return std::shared_ptr<TBVideoConvertTask>();
}

// "Open the output folder when the conversion is done.": once the last job of the page has
// ended, the folder opens when a job that asked for it finished.
void ConverterViewCtrl::conversionDidEnd(DownloadedItem &item, quint32 taskStatus)
{
    if (taskStatus == DownloadedItem::TaskFinished && item.isOpenConvertedFile() && !item.covertedFilePath().isEmpty())
        m_folderToOpen = QFileInfo(item.covertedFilePath()).absolutePath();
    if (m_folderToOpen.isEmpty() || isHasTask())
        return;
    // After the job's end report has been handled.
    QTimer::singleShot(0, this, [this, folder = std::exchange(m_folderToOpen, QString())] { Workspace::openFolder(folder); });
}

// ---------------------------------------------------------------------------------------------
// Row controls

void ConverterViewCtrl::taskItemWillPause(const DownloadNode::Ptr &node)
{
    const auto item = node ? node->downloadItem() : nullptr;
    const auto job = item ? std::dynamic_pointer_cast<TBVideoConvertTask>(item->converterItem()) : nullptr;
    if (!job)
        return;
    item->setTaskStatus(DownloadedItem::TaskPaused);
    _taskManager->pauseConvertTaskWith(job->taskID());
    item->sendTaskDidChangeState();
}

void ConverterViewCtrl::taskItemWillResume(const DownloadNode::Ptr &node)
{
    const auto item = node ? node->downloadItem() : nullptr;
    const auto job = item ? std::dynamic_pointer_cast<TBVideoConvertTask>(item->converterItem()) : nullptr;
    if (!job)
        return;
    item->setTaskStatus(DownloadedItem::TaskRunning);
    _taskManager->resumeConvertTaskWith(job->taskID());
    item->sendTaskDidChangeState();
}

void ConverterViewCtrl::taskItemWillDelete(const DownloadNode::Ptr &node)
{
    // The row's cancel button: the conversion stops (the row stays in the list).
    stopTaskItemForDownloadedItem(node, false);
}

void ConverterViewCtrl::stopTaskItemForDownloadedItem(const DownloadNode::Ptr &node, bool isQuitApp)
{
    const auto item = node ? node->downloadItem() : nullptr;
    if (!item)
        return;
    switch (item->taskStatus()) {
    case DownloadedItem::TaskFailed:
        item->setStatus(DownloadedItem::StatusPlain);
        DownloadedItem::deleteFileToTrash(item->covertedFilePath());
        item->setCovertedFilePath(QString());
        item->setTaskStatus(DownloadedItem::TaskNone);
        if (!isQuitApp) {
            item->setPercent(0);
            if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
                row->displayViewCtroller(item);
        }
        break;
    case DownloadedItem::TaskWaiting:
    case DownloadedItem::TaskRunning:
    case DownloadedItem::TaskPaused:
        if (const auto job = std::dynamic_pointer_cast<TBVideoConvertTask>(item->converterItem()))
            job->stop();
        break;
    default:
        break;
    }
}

void ConverterViewCtrl::downloadedItemWillDelete(const DownloadNode::Ptr &node)
{
    if (!node)
        return;
    removeRows({node});
    refresh();
}

void ConverterViewCtrl::stopItems()
{
    for (const DownloadNode::Ptr &node : selectedNodes())
        if (isBusy(node))
            stopTaskItemForDownloadedItem(node, false);
    refresh();
}

void ConverterViewCtrl::downloadedItemAddToTransfer(const DownloadNode::Ptr &node)
{
    if (!node || !node->downloadItem())
        return;
    WKDataColleciton::share().collectTransferSourceFrom(QStringLiteral("Convert"));
    NotificationCenter::defaultCenter().post(NotificationNames::AddToTransferNotification,
                                             QVariantList{QVariant::fromValue(node->downloadItem())});
}

void ConverterViewCtrl::playWillStart(const DownloadNode::Ptr &node)
{
    QList<std::shared_ptr<DownloadedItem>> items;
    for (const DownloadNode::Ptr &n : std::as_const(_converlist))
        items << n->downloadItem();
    const int index = int(_converlist.indexOf(node));
    if (index >= 0)
        openPlayer(items, index);
}

void ConverterViewCtrl::playVideo()
{
    const QList<int> rows = selectedRows();
    if (!rows.isEmpty() && rows.first() < _converlist.size())
        playWillStart(_converlist[rows.first()]);
}

void ConverterViewCtrl::openPlayer(const QList<std::shared_ptr<DownloadedItem>> &items, int index)
{
    if (m_playerOpener) {
        m_playerOpener(items, index);
        return;
    }
    if (_player)
        delete _player.data();
    _player = new MTPreviewPlayerWndCtl(view() ? view()->window() : nullptr);
    _player->openMediaList(items, index);
}

// ---------------------------------------------------------------------------------------------
// Deleting rows (no file is touched but a stopped job's partial output)

void ConverterViewCtrl::removeRows(const QList<DownloadNode::Ptr> &rows)
{
    for (const DownloadNode::Ptr &node : rows) {
        // A row that goes takes its job along: the tool ends and the partial output goes away.
        if (isBusy(node))
            stopTaskItemForDownloadedItem(node, false);
        if (m_rows)
            m_rows->forgetRow(node);
        _converlist.removeAll(node);
        _tmpConvList.removeAll(node);
    }
}

void ConverterViewCtrl::deleteItems()
{
    const QList<DownloadNode::Ptr> selected = selectedNodes();
    if (selected.isEmpty())
        return;
    const QRect parent = m_view && m_view->window() ? m_view->window()->frameGeometry() : QRect();
    if (DeleteModalWindowCtr::showDeleteItemsTipHiddenCheck(parent) == 0)
        return;
    removeRows(selected);
    refresh();
}

void ConverterViewCtrl::deleteAll()
{
    if (_converlist.isEmpty())
        return;
    const QRect parent = m_view && m_view->window() ? m_view->window()->frameGeometry() : QRect();
    if (DeleteModalWindowCtr::showDeleteAllItemsTipHiddenCheck(parent) == 0)
        return;
    const QList<DownloadNode::Ptr> all = _converlist;
    removeRows(all);
    refresh();
}

void ConverterViewCtrl::deleteItemWithKeyDown(const Notification &n)
{
    if (ListPageViews::isOwnDeleteKey(n, m_rows, m_view))
        deleteItems();
}

// ---------------------------------------------------------------------------------------------
// Other actions

void ConverterViewCtrl::openOutputFolder()
{
    const QString folder = convertedFolder();
    QDir().mkpath(folder);
    Workspace::openFolder(folder);
}

void ConverterViewCtrl::showInFinder()
{
    const QList<DownloadNode::Ptr> selected = selectedNodes();
    if (selected.isEmpty()) {
        openOutputFolder();
        return;
    }
    const auto item = selected.first()->downloadItem();
    if (!item)
        return;
    CommonFunDesktop::showFileInFinder(item->taskStatus() == DownloadedItem::TaskFinished ? item->covertedFilePath()
                                                                                   : item->filePath());
}

void ConverterViewCtrl::transfer()
{
    QVariantList items;
    for (const DownloadNode::Ptr &node : selectedNodes())
        if (statusIn(node, {DownloadedItem::TaskFinished}))
            items << QVariant::fromValue(node->downloadItem());
    WKDataColleciton::share().collectTransferSourceFrom(QStringLiteral("Convert"));
    NotificationCenter::defaultCenter().post(NotificationNames::AddToTransferNotification, items);
}

bool ConverterViewCtrl::validateMenuItem(QAction *item) const
{
    if (!item)
        return false;
    const QString name = item->objectName();
    const QList<DownloadNode::Ptr> selected = selectedNodes();
    auto any = [&](std::initializer_list<quint32> states) {
        return std::any_of(selected.begin(), selected.end(), [&](const DownloadNode::Ptr &n) { return statusIn(n, states); });
    };
    if (name == QLatin1String("convertItems:"))
        return any({DownloadedItem::TaskNone, DownloadedItem::TaskFailed});
    if (name == QLatin1String("stopItems:"))
        return std::any_of(selected.begin(), selected.end(), isBusy);
    if (name == QLatin1String("deleteItems:"))
        return !selected.isEmpty(); // a busy row is stopped first
    if (name == QLatin1String("transfer:"))
        return any({DownloadedItem::TaskFinished});
    if (name == QLatin1String("showInFinder:"))
        return selected.size() < 2 && !any({DownloadedItem::TaskRunning});
    if (name == QLatin1String("playVideo:"))
        return selected.size() == 1; // playback needs a row to start from
    if (name == QLatin1String("deleteAll:"))
        return !_converlist.isEmpty();
    return true;
}
