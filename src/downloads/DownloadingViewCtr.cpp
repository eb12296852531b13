#include "downloads/DownloadingViewCtr.h"

#include "controls/AppImages.h"
#include "controls/ControlSlices.h"
#include "controls/DownloadTableView.h"
#include "controls/MGHoverButton.h"
#include "downloads/DataBaseManager.h"
#include "downloads/DockProgress.h"
#include "downloads/DownloadingActionViewCtrl.h"
#include "downloads/ListPageViews.h"
#include "downloads/MTDockIconContentView.h"
#include "downloads/MTDownloadingOptionsView.h"
#include "downloads/MediaOptionsWndCtrl.h"
#include "downloads/ReelgrabingUI.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/MacOSXManager.h"
#include "platform/NotificationNames.h"
#include "reelgrab/kit/ReelgrabKit.h"
#include "platform/log/ScribletLogger.h"
#include "platform/Dispatch.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "reelgrab/NSStringHumanReadable.h"
#include "downloads/IntroduceViewCtrl.h"
#include "shell/BriskletBundle.h"
#include "shell/GolobFun.h"
#include "shell/UIManager.h"
#include "shell/MGMessageBox.h"
#include "shell/QuitCheckDialogboxController.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

QString tr1(const char *english) { return MainBundle::localizedString(english); }

int s_loadedTaskCount = 0;

// The table viewport's drop handling and re-layout on scroll and resize.
class ViewportFilter : public QObject
{
public:
    ViewportFilter(DownloadingViewCtr *list, std::function<void()> relayout)
        : QObject(list), m_list(list), m_relayout(std::move(relayout))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *e = static_cast<QDropEvent *>(event);
            if (acceptable(e->mimeData()))
                e->acceptProposedAction();
            else
                e->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto *e = static_cast<QDropEvent *>(event);
            const QString address = addressOf(e->mimeData());
            if (!acceptable(e->mimeData())) {
                e->ignore();
                return true;
            }
            e->acceptProposedAction();
            NotificationCenter::defaultCenter().post(NotificationNames::DragURLToMainApp, address);
            return true;
        }
        case QEvent::Resize:
        case QEvent::LayoutRequest:
            m_relayout();
            break;
        case QEvent::Leave:
            m_list->hideActionView();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static QString addressOf(const QMimeData *mime)
    {
        if (!mime)
            return QString();
        if (mime->hasUrls() && !mime->urls().isEmpty())
            return mime->urls().constFirst().toString();
        return QString();
    }
    static bool acceptable(const QMimeData *mime)
    {
        if (QApplication::activeModalWidget())
            return false;
        return DownloadingViewCtr::acceptsDroppedAddress(addressOf(mime));
    }

    DownloadingViewCtr *m_list;
    std::function<void()> m_relayout;
};

QString toolPath(const QString &name)
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (QFileInfo(beside).isExecutable())
        return beside;
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? beside : found;
}

} // namespace

DownloadingViewCtr::DownloadingViewCtr(const QString &databasePath, QObject *parent)
    : QObject(parent)
    , m_databasePath(databasePath.isEmpty() ? DataBaseManager::defaultManager().databasePath() : databasePath)
{
    m_optionsDialog = [this](const QString &url, const QString &browser) {
        MediaOptionsWndCtrl dialog(m_view ? m_view->window() : nullptr);
        DownloadContentRules::OptionsChoice choice;
        choice.result = dialog.showModalWithURL(url, browser);
        choice.resolution = dialog.getVideoResolution();
        choice.format = dialog.getVideoFormat();
        choice.subtitleCode = dialog.getSubtitleCode();
        return choice;
    };
    ScribletLogInfo(QStringLiteral("dbPath = %1").arg(m_databasePath));
    reelgrabDispatcher()->loadReelgrabTasksCompatibleDatabase(m_databasePath);
    ScribletLogInfo(QStringLiteral("dbPath load Finish"));

    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, NotificationNames::DeleteNotification, [this](const Notification &n) {
        if (m_tableView && n.objectPointer() == m_tableView)
            clickDeleteMenuItem();
        else
            QApplication::beep();
    });
    center.addObserver(this, QStringLiteral("Noticication-Named-Preferences-Update"),
                       [this](const Notification &) { preferencesDidUpdate(); });
    center.addObserver(this, NotificationNames::FENNIXPROWillQuitNotification, [this](const Notification &) {
        if (m_reelgrabDispatcher)
            m_reelgrabDispatcher->cancelAllTasks();
    });
    center.addObserver(this, NotificationNames::RefreshDownlodingDisplayData,
                       [this](const Notification &) { refreshDownloadingItem(); });
}

DownloadingViewCtr::~DownloadingViewCtr()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    for (const DownloadNode::Ptr &node : std::as_const(m_downloadTaskNodeArray)) {
        if (auto task = node->reelgrabTask<QVReelgrabTask>()) {
            task->removeObserver(this);
            if (auto row = node->downloadingItemViewCtr<DLoadingItemViewCtr>())
                task->removeObserver(row.get());
        }
    }
    if (m_reelgrabDispatcher) {
        m_reelgrabDispatcher->setDelegate(nullptr);
        m_reelgrabDispatcher->synchronize();
        m_reelgrabDispatcher->storeNow();
    }
    // Rows own their views; take them off the viewport before the view goes.
    for (const DownloadNode::Ptr &node : std::as_const(m_downloadTaskNodeArray))
        node->setDownloadViewCtrl(std::shared_ptr<DLoadingItemViewCtr>());
    m_reelgrabDispatcher.reset();
    delete m_view.data();
}

QVReelgrabTaskDispatcher *DownloadingViewCtr::reelgrabDispatcher()
{
    if (!m_reelgrabDispatcher) {
        QVariantMap creation;
        creation.insert(QStringLiteral("download-swiftcarry"), toolPath(QStringLiteral("SwiftcarryCmd")));
        creation.insert(QStringLiteral("download-ffmpeg"), toolPath(QStringLiteral("ffmpeg")));
        // A helper waits ready, so a new download starts at once.
        creation.insert(QStringLiteral("download-spare-helper"), true);
        m_reelgrabDispatcher = ReelgrabKit().createReelgrabTaskDispatcherWithPreference(creation);
        m_reelgrabDispatcher->setDelegate(this);
        preferencesDidUpdate();
    }
    return m_reelgrabDispatcher.get();
}

void DownloadingViewCtr::setPlaylistFinishCounter(std::function<int(const QString &)> counter)
{
    m_playlistFinishCounter = std::move(counter);
}

void DownloadingViewCtr::preferencesDidUpdate()
{
    QVReelgrabTaskDispatcher *d = reelgrabDispatcher();
    UserDefaults &defaults = UserDefaults::standard();
    d->setObjectForPreferenceKey(defaults.objectForKey(QStringLiteral("numberOfDownload")),
                                 QStringLiteral("download-max-tasks"));
    d->setObjectForPreferenceKey(defaults.objectForKey(QStringLiteral("downloadedSavePath")),
                                 QStringLiteral("download-directory"));
    d->setObjectForPreferenceKey(defaults.integerForKey(QStringLiteral("DesiredVideoResolution")),
                                 QStringLiteral("download-desire-resolution-4-Youtube"));
    d->setObjectForPreferenceKey(defaults.boolForKey(QStringLiteral("AutoDownloadYouTubeCaptions")),
                                 QStringLiteral("download-subtitle-4-Youtube"));
    d->setObjectForPreferenceKey(defaults.boolForKey(QStringLiteral("isAutoResumeTask")),
                                 QStringLiteral("download-auto-resume"));
    d->setObjectForPreferenceKey(defaults.boolForKey(QStringLiteral("AutoDownloadSpeedup")),
                                 QStringLiteral("download-speedup"));
}

void DownloadingViewCtr::setTurboModeState(bool on)
{
    reelgrabDispatcher()->setObjectForPreferenceKey(on, QStringLiteral("download-speedup"));
}

// Adding ---------------------------------------------------------------------------------------

void DownloadingViewCtr::addReelgrabTask(const QString &url, const QVariantMap &params)
{
    addReelgrabTask(url, params, false);
}

bool DownloadingViewCtr::addReelgrabTask(const QString &url, const QVariantMap &params, bool isShowOptions)
{
    m_isTaskAdd = false;
    ScribletLogInfo(QStringLiteral("addReelgrabTask URL: %1").arg(url));
    QVReelgrabTaskDispatcher *d = reelgrabDispatcher();
    const int classification = d->userSelectedContentOfURL(url);
    const std::optional<QVariantMap> taskParams = DownloadContentRules::taskParams(
        classification, url, params, isShowOptions, DownloadContentRules::Settings::fromUserDefaults(), m_optionsDialog);
    if (!taskParams)
        return false;
    return d->addReelgrabTask(url, *taskParams);
}

void DownloadingViewCtr::addReelgrabTasks(const QList<QVariantMap> &items, const QString &fromPage,
                                          const QVariantMap &params)
{
    QStringList urls;
    for (const QVariantMap &item : items) {
        // Play-list items of a browser request carry their checked address under "PageUrl".
        QString url = item.value(QStringLiteral("PageUrl")).toString();
        if (url.isEmpty())
            url = item.value(QStringLiteral("url"), item.value(QStringLiteral("URL"))).toString();
        if (!url.isEmpty())
            urls << url;
    }
    reelgrabDispatcher()->addReelgrabTasks(urls, fromPage, params);
}

void DownloadingViewCtr::setMenuTarget()
{
    auto *main = m_view ? qobject_cast<QMainWindow *>(m_view->window()) : nullptr;
    if (!main || !main->menuBar())
        return;
    const QList<QAction *> menus = main->menuBar()->actions();
    if (menus.size() < 3 || !menus[2]->menu() || menus[2]->menu()->title() != tr1("Download"))
        return;
    static const QMap<int, QPair<Command, const char *>> byTag = {
        {2, {Command::Pause, "Pause"}},         {3, {Command::Resume, "Resume"}},
        {4, {Command::PauseAll, "Pause All"}},  {5, {Command::ResumeAll, "Resume All"}},
        {6, {Command::RetryAll, "Retry All"}},  {7, {Command::Delete, "Delete"}},
        {8, {Command::DeleteAll, "Delete All"}}};
    QMenu *menu = menus[2]->menu();
    for (QAction *item : menu->actions()) {
        const int tag = item->property("tag").toInt();
        if (!byTag.contains(tag))
            continue;
        const Command command = byTag.value(tag).first;
        item->setText(tr1(byTag.value(tag).second));
        item->disconnect(this);
        connect(item, &QAction::triggered, this, [this, command] { runCommand(command); });
    }
    disconnect(menu, &QMenu::aboutToShow, this, nullptr);
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        for (QAction *item : menu->actions()) {
            const int tag = item->property("tag").toInt();
            if (byTag.contains(tag))
                item->setEnabled(validateCommand(byTag.value(tag).first));
        }
    });
}

bool DownloadingViewCtr::reelgrabTaskCouldAdd(QVReelgrabTask *)
{
    m_isTaskAdd = true;
    return true;
}

bool DownloadingViewCtr::reelgrabTasksCouldAdd(const QList<QVReelgrabTask *> &)
{
    m_isTaskAdd = true;
    return true;
}

bool DownloadingViewCtr::isYouTubeTask(const QVReelgrabTask *task)
{
    return task && task->isSiteof(QStringLiteral("youtube"));
}

void DownloadingViewCtr::reelgrabTaskDidAdded(QVReelgrabTask *task)
{
    const QString host = QUrl(task->pageUrl()).host().replace(QLatin1Char('.'), QLatin1Char('_'));
    QVHPHelper::share().autoCreatedIncreaseDataCollect(QStringLiteral("Id_Downloadsites"), host);
    hideActionView();
    addDownloadNodeWithTask(task);
    updateUi();
    if (m_tableView && m_model && m_model->rowCount() > 0)
        m_tableView->scrollToBottom();
    ScribletLogInfo(QStringLiteral("DownloadingViewCtr DownloadTask Added:%1").arg(task->pageUrl()));
}

void DownloadingViewCtr::reelgrabTasksDidAdd(const QList<QVReelgrabTask *> &tasks)
{
    hideActionView();
    for (QVReelgrabTask *task : tasks) {
        addDownloadNodeWithTask(task);
        ScribletLogInfo(QStringLiteral("DownloadingViewCtr DownloadTask Added:%1").arg(task->pageUrl()));
    }
    updateUi();
    if (m_tableView)
        m_tableView->scrollToBottom();
}

void DownloadingViewCtr::reelgrabTaskDidLoad(QVReelgrabTask *task)
{
    ++s_loadedTaskCount;
    ScribletLogInfo(QStringLiteral("QVReelgrabTask    count=%1").arg(s_loadedTaskCount));
    addDownloadNodeWithTask(task);
}

void DownloadingViewCtr::addDownloadNodeWithTask(QVReelgrabTask *task)
{
    if (!task || nodeForTask(task))
        return;
    // The queue owns the task; the node only points at it while the task is in the list.
    std::shared_ptr<QVReelgrabTask> data(task, [](QVReelgrabTask *) {});
    DownloadNode::Ptr node;
    if (task->playlistName().isEmpty()) {
        node = DownloadNode::create(data);
    } else {
        node = DownloadNode::create(data, task->playlistName(), task->playlistUUID());
        DownloadNode::Ptr group;
        for (const DownloadNode::Ptr &g : std::as_const(m_playlistNodeArray))
            if (g->playlistID() == task->playlistUUID()) {
                group = g;
                break;
            }
        if (!group) {
            group = DownloadNode::create(nullptr, task->playlistName(), task->playlistUUID());
            m_playlistNodeArray << group;
        }
        group->addChildrenNode(node);
    }
    m_downloadTaskNodeArray << node;
    task->addObserver(this);
}

DownloadNode::Ptr DownloadingViewCtr::nodeForTask(const QVReelgrabTask *task) const
{
    for (const DownloadNode::Ptr &node : m_downloadTaskNodeArray)
        if (auto t = node->reelgrabTask<QVReelgrabTask>(); t.get() == task)
            return node;
    return nullptr;
}

void DownloadingViewCtr::removeNodeOfTask(QVReelgrabTask *task)
{
    const DownloadNode::Ptr node = nodeForTask(task);
    if (node) {
        if (auto row = node->downloadingItemViewCtr<DLoadingItemViewCtr>()) {
            if (row->actionView())
                row->removeActionView();
            task->removeObserver(row.get());
        }
        task->removeObserver(this);
        if (const DownloadNode::Ptr group = node->parentNode())
            group->removeChildrenNode(node);
        m_downloadTaskNodeArray.removeAll(node);
        m_displayNodeArray.removeAll(node);
        node->setDownloadViewCtrl(std::shared_ptr<DLoadingItemViewCtr>());
    }
    updateUi();
}

void DownloadingViewCtr::reelgrabTaskWillbeRemoved(QVReelgrabTask *task)
{
    removeNodeOfTask(task);
}

void DownloadingViewCtr::reelgrabTaskDidFinished(QVReelgrabTask *task)
{
    ScribletLogInfo(QStringLiteral("DownloadingViewCtr DownloadTask Finished:%1").arg(task->pageUrl()));
    if (m_delegate)
        m_delegate->reelgrabTaskDidFinished(task);
    removeNodeOfTask(task);
}

void DownloadingViewCtr::reelgrabKitUpdateDidComplete2(const QString &info)
{
    ScribletLogInfo(QStringLiteral("reelgrabKit Did Complete Update:%1").arg(info));
    int answer = 0;
    // The question belongs to the main thread; a caller elsewhere waits for the answer.
    dispatch::sync_main([this, &answer] {
        const QRect parent = m_view ? m_view->window()->frameGeometry() : QRect();
        answer = MGMessageBox::question(tr1("Please relaunch to complete this update."), tr1("Update successfully!"),
                                        tr1("Relaunch Now"), tr1("Cancel"), QImage(), parent);
    });
    if (answer != MGMessageBox::DefaultButton)
        return;
    reelgrabDispatcher()->pauseTasks(nullptr);
    const QStringList arguments = relaunchArguments(QCoreApplication::applicationFilePath(),
                                                    QCoreApplication::arguments().mid(1),
                                                    QCoreApplication::applicationPid());
    if (m_relaunchHandler) {
        m_relaunchHandler(QStringLiteral("/bin/sh"), arguments);
        return;
    }
    // No tool is copied anywhere: a shell waits for this process to end and starts the
    // program again from where it is installed.
    if (!QProcess::startDetached(QStringLiteral("/bin/sh"), arguments))
        ScribletLogError(QStringLiteral("relaunch after the update could not be started"));
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

QStringList DownloadingViewCtr::relaunchArguments(const QString &program, const QStringList &arguments, qint64 pid)
{
    // Every value is a separate argument of the script, never part of its text.
    static const QString script =
        QStringLiteral("pid=\"$1\"; shift; while kill -0 \"$pid\" 2>/dev/null; do sleep 0.2; done; exec \"$@\"");
    QStringList argv{QStringLiteral("-c"), script, QStringLiteral("fennix-relaunch"), QString::number(pid), program};
    argv += arguments;
    return argv;
}

// Task observer -------------------------------------------------------------------------------

void DownloadingViewCtr::reelgrabDownloadDidReset(QVReelgrabTask *) { scheduleDockUpdate(); }
void DownloadingViewCtr::reelgrabSniffingDidStarted(QVReelgrabTask *) { scheduleDockUpdate(); }
void DownloadingViewCtr::reelgrabDownloadDidStarted(QVReelgrabTask *) { scheduleDockUpdate(); }
void DownloadingViewCtr::reelgrabDownloadDidPaused(QVReelgrabTask *)
{
    scheduleDockUpdate();
    if (m_resumeAllButton)
        updateUi();
}

void DownloadingViewCtr::countFailure(QVReelgrabTask *task, bool sniffing, const QVReelgrabError &error)
{
    scheduleDockUpdate();
    ScribletLogError(QStringLiteral("%1 of %2 failed: %3")
                         .arg(sniffing ? QStringLiteral("Analysis") : QStringLiteral("Download"), task->pageUrl(),
                              error.reason()));
    GolobFun::addDowbloadFailedLog(task->logFileID(), task->pageUrl());
    QVHPHelper &stats = QVHPHelper::share();
    if (isYouTubeTask(task)) {
        if (sniffing)
            stats.commIncreaseDataCollect(QStringLiteral("Id_YouTube"), QStringLiteral("Id_YouTube_AnalyzeFail"));
        else
            stats.commIncreaseDataCollect(QStringLiteral("Id_YouTube"), (task->downloadContent() & QVReelgrabContentAudio)
                                                                          ? QStringLiteral("Id_Audio_Failed")
                                                                          : QStringLiteral("Id_YouTube_DownloadFaile"));
    } else {
        stats.commIncreaseDataCollect(QStringLiteral("DownloadSuccessRate"), QStringLiteral("DownloadFailed"));
    }
    if (sniffing)
        stats.autoCreatedIncreaseDataCollect(QStringLiteral("DownloadFailedReason"), QString::number(error.code()));
    updateUi();
}

void DownloadingViewCtr::reelgrabSniffingDidFailed(QVReelgrabTask *task, const QVReelgrabError &error)
{
    countFailure(task, true, error);
}

void DownloadingViewCtr::reelgrabDownloadDidFailed(QVReelgrabTask *task, const QVReelgrabError &error)
{
    countFailure(task, false, error);
}

void DownloadingViewCtr::reelgrabDownloadDidFinished(QVReelgrabTask *task)
{
    updateUi();
    QVHPHelper &stats = QVHPHelper::share();
    if (isYouTubeTask(task))
        stats.commIncreaseDataCollect(QStringLiteral("Id_YouTube"), (task->downloadContent() & QVReelgrabContentAudio)
                                                                      ? QStringLiteral("Id_Audio_Success")
                                                                      : QStringLiteral("Id_YouTube_Success"));
    else
        stats.commIncreaseDataCollect(QStringLiteral("DownloadSuccessRate"), QStringLiteral("DownloadSuccess"));
}

// State -----------------------------------------------------------------------------------------

bool DownloadingViewCtr::isAnyTaskDownloading() const
{
    for (const DownloadNode::Ptr &node : m_downloadTaskNodeArray)
        if (auto t = node->reelgrabTask<QVReelgrabTask>())
            if (t->downloadStatus() == QVReelgrabTaskStatusPaused || t->downloadStatus() == QVReelgrabTaskStatusDownloading)
                return true;
    return false;
}

bool DownloadingViewCtr::isAnyTaskRunning() const
{
    for (const DownloadNode::Ptr &node : m_downloadTaskNodeArray)
        if (auto t = node->reelgrabTask<QVReelgrabTask>())
            if (t->downloadStatus() == QVReelgrabTaskStatusSniffing || t->downloadStatus() == QVReelgrabTaskStatusDownloading)
                return true;
    return false;
}

QString DownloadingViewCtr::downloadingContextDescription() const
{
    qint64 downloaded = 0, total = 0, speed = 0;
    for (const DownloadNode::Ptr &node : m_downloadTaskNodeArray) {
        auto t = node->reelgrabTask<QVReelgrabTask>();
        if (!t || (t->downloadStatus() != QVReelgrabTaskStatusDownloading && t->downloadStatus() != QVReelgrabTaskStatusPaused))
            continue;
        downloaded += t->downloadedSize();
        total += t->mediaSize();
        speed += t->downloadSpeed();
    }
    const QString totalText = GolobFun::convertSizeToString(total);
    if (totalText == tr1("0 MB"))
        return QString();
    QString text = tr1("Total: %@ of %@, %@");
    for (const QString &a : {GolobFun::convertSizeToString(downloaded), totalText, GolobFun::speed(speed)}) {
        const int at = text.indexOf(QLatin1String("%@"));
        if (at >= 0)
            text.replace(at, 2, a);
    }
    return text;
}

// View ------------------------------------------------------------------------------------------

QWidget *DownloadingViewCtr::view()
{
    if (!m_view)
        loadView();
    return m_view;
}

void DownloadingViewCtr::loadView()
{
    auto *root = new QWidget;
    m_view = root;
    QVBoxLayout *layout = ListPageViews::whitePageLayout(root, QStringLiteral("DownloadingView"));

    m_tableView = new DownloadTableView(root);
    m_model = new QStandardItemModel(0, 1, m_tableView);
    m_tableView->setModel(m_model);
    ListPageViews::setupRowTable(m_tableView);
    m_tableView->setAcceptDrops(true);
    m_tableView->viewport()->setAcceptDrops(true);
    m_tableView->setIsShowMenuWithEmptyTable(false);
    layout->addWidget(m_tableView, 1);

    auto *filter = new ViewportFilter(this, [this] {
        layoutRowViews();
        if (m_emptyView)
            m_emptyView->setGeometry(m_tableView->viewport()->rect());
    });
    m_tableView->viewport()->installEventFilter(filter);
    connect(m_tableView->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { layoutRowViews(); });
    connect(m_tableView, &DownloadTableView::mouseMoved, this,
            [this](const QPoint &p) { showActionViewForRow(m_tableView->rowAt(p.y())); });
    connect(m_tableView, &DownloadTableView::mouseExited, this, [this] { hideActionView(); });
    connect(m_tableView, &DownloadTableView::selectionDidChangeNotification, this, [this] {
        const QList<int> selected = selectedRows();
        for (int i = 0; i < m_displayNodeArray.size(); ++i)
            if (auto row = m_displayNodeArray[i]->downloadingItemViewCtr<DLoadingItemViewCtr>())
                row->setSelected(selected.contains(i));
    });

    // The empty list invites the user to install the browser extension when its bundle ships.
    m_introduceViewCtrl = new IntroduceViewCtrl(this);
    m_emptyView = BriskletBundle::installView(UIManager::sliceNamedInMain(QStringLiteral("installext")),
                                              m_introduceViewCtrl->view(), m_tableView->viewport());
    if (!m_emptyView)
        m_emptyView = new QWidget(m_tableView->viewport());
    m_emptyView->setObjectName(QStringLiteral("DownloadingEmptyView"));
    m_emptyView->hide();

    // Bottom bar with the pause-all and resume-all buttons, right-aligned, 20 points from the
    // edge and 10 apart, each as large as its picture.
    auto *bottom = new MTDownloadingOptionsView(root);
    bottom->setObjectName(QStringLiteral("DownloadingBottomBar"));
    bottom->setFixedHeight(40);
    auto makeBottomButton = [bottom](const char *title, const char *picture) {
        auto *b = new MGHoverButton(bottom);
        b->setImageName(QStringLiteral("mainform"));
        b->setDrawMode(1);
        b->setNormalSliceName(QStringLiteral("mainform-56"));
        b->setHoverSliceName(QStringLiteral("mainform-57"));
        b->setDownSliceName(QStringLiteral("mainform-58"));
        b->setDisableSliceName(QStringLiteral("mainform-59"));
        b->setTitle(tr1(title));
        const QSizeF size = ControlSlices::pointSize(AppImages::named(QString::fromLatin1(picture)));
        b->setFixedSize(size.isEmpty() ? QSize(96, 28) : size.toSize());
        return b;
    };
    m_pauseAllButton = makeBottomButton("Pause All", "pauseallbtn_normal");
    m_resumeAllButton = makeBottomButton("Resume All", "restartbtn_normal");
    auto *bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(20, 6, 20, 6);
    bottomLayout->addStretch(1);
    bottomLayout->addWidget(m_pauseAllButton);
    bottomLayout->addSpacing(10);
    bottomLayout->addWidget(m_resumeAllButton);
    layout->addWidget(bottom);
    connect(m_pauseAllButton, &MGHoverButton::clicked, this, [this] { pauseAll(); });
    connect(m_resumeAllButton, &MGHoverButton::clicked, this, [this] { resumeAll(); });

    m_downloadingActionViewCtrl = new DownloadingActionViewCtrl(m_tableView->viewport());
    m_downloadingActionViewCtrl->hide();

    // Context menu.
    m_menutableView = new QMenu(root);
    const QList<QPair<Command, const char *>> items = {
        {Command::Pause, "Pause"},           {Command::Resume, "Resume"},
        {Command::Delete, "Delete"},         {Command::DeleteAll, "Delete All"},
        {Command::Expand, "Expand Playlist"}, {Command::Collapse, "Collapse Playlist"},
        {Command::Priority, "Prior Download"}, {Command::CopyURL, "Copy URL"},
        {Command::GotoPage, "Go to Source Page"}};
    for (const auto &[command, title] : items) {
        QAction *a = m_menutableView->addAction(tr1(title));
        const Command c = command;
        connect(a, &QAction::triggered, this, [this, c] { runCommand(c); });
        m_menuActions.insert(command, a);
    }
    connect(m_menutableView, &QMenu::aboutToShow, this, [this] {
        for (auto it = m_menuActions.cbegin(); it != m_menuActions.cend(); ++it)
            it.value()->setEnabled(validateCommand(it.key()));
    });
    updateUi();
}

std::shared_ptr<DLoadingItemViewCtr> DownloadingViewCtr::rowForNode(const DownloadNode::Ptr &node)
{
    if (!node)
        return nullptr;
    auto row = node->downloadingItemViewCtr<DLoadingItemViewCtr>();
    if (!row) {
        auto task = node->reelgrabTask<QVReelgrabTask>();
        if (!task)
            return nullptr;
        row = std::make_shared<DLoadingItemViewCtr>(node, task.get());
        task->addObserver(row.get());
        node->setDownloadViewCtrl(row);
        row->setDelegate(this);
    }
    return row;
}

void DownloadingViewCtr::refreshDownloadingItem()
{
    if (!m_view)
        return;
    m_tableView->setMenu(m_downloadTaskNodeArray.isEmpty() ? nullptr : m_menutableView);
    if (m_downloadTaskNodeArray.isEmpty()) {
        m_emptyView->setGeometry(m_tableView->viewport()->rect());
        m_emptyView->show();
        m_emptyView->raise();
    } else {
        m_emptyView->hide();
    }

    const QList<DownloadNode::Ptr> oldDisplay = m_displayNodeArray;
    m_displayNodeArray.clear();
    for (const DownloadNode::Ptr &group : std::as_const(m_playlistNodeArray)) {
        group->setDisplayNodeArray(group->childrenNode());
        for (const DownloadNode::Ptr &child : group->childrenNode())
            child->setIsPlaylistNode(false);
        if (!group->childrenNode().isEmpty())
            group->childrenNode().constFirst()->setIsPlaylistNode(true);
    }
    for (const DownloadNode::Ptr &node : std::as_const(m_downloadTaskNodeArray))
        if (!node->parentNode() || node->isPlaylistNode())
            m_displayNodeArray << node;
    for (const DownloadNode::Ptr &group : std::as_const(m_playlistNodeArray)) {
        QList<DownloadNode::Ptr> shown = group->displayNodeArray();
        if (shown.isEmpty())
            continue;
        const DownloadNode::Ptr first = shown.takeFirst();
        group->setDisplayNodeArray(shown);
        if (group->isExtend() && !shown.isEmpty()) {
            const int at = m_displayNodeArray.indexOf(first);
            if (at >= 0)
                for (int i = 0; i < shown.size(); ++i)
                    m_displayNodeArray.insert(at + 1 + i, shown[i]);
        }
    }
    // Rows no longer shown leave the viewport.
    for (const DownloadNode::Ptr &node : oldDisplay)
        if (!m_displayNodeArray.contains(node))
            if (auto row = node->downloadingItemViewCtr<DLoadingItemViewCtr>(); row && row->isViewLoaded())
                row->view()->hide();

    m_model->setRowCount(int(m_displayNodeArray.size()));
    for (int i = 0; i < m_displayNodeArray.size(); ++i) {
        const DownloadNode::Ptr &node = m_displayNodeArray[i];
        m_tableView->setRowHeight(i, node->isPlaylistNode() ? DLoadingItemViewCtr::PlaylistRowHeight
                                                            : DLoadingItemViewCtr::RowHeight);
        auto row = rowForNode(node);
        if (!row)
            continue;
        row->displayWithDownloadNode(node);
        if (node->isPlaylistNode()) {
            row->setFinishCount(m_playlistFinishCounter ? m_playlistFinishCounter(node->playlistID()) : 0);
            row->setDisplayWithPlaylistNode();
        }
    }
    layoutRowViews();
    if (m_delegate)
        m_delegate->downloadItemCountDidChanged();
}

void DownloadingViewCtr::layoutRowViews()
{
    if (!m_tableView)
        return;
    QWidget *viewport = m_tableView->viewport();
    const QList<int> selected = selectedRows();
    for (int i = 0; i < m_displayNodeArray.size(); ++i) {
        auto row = m_displayNodeArray[i]->downloadingItemViewCtr<DLoadingItemViewCtr>();
        if (!row)
            continue;
        QWidget *v = row->view();
        if (v->parentWidget() != viewport)
            v->setParent(viewport);
        const QRect r = m_tableView->visualRect(m_model->index(i, 0));
        v->setGeometry(0, r.y(), viewport->width(), r.height());
        row->setSelected(selected.contains(i));
        v->show();
        v->lower();
    }
    if (m_downloadingActionViewCtrl && m_downloadingActionViewCtrl->isVisible()) {
        for (const DownloadNode::Ptr &node : std::as_const(m_displayNodeArray))
            if (auto row = node->downloadingItemViewCtr<DLoadingItemViewCtr>(); row && row->actionView())
                row->resetActionView();
    }
}

void DownloadingViewCtr::updateUi()
{
    refreshDownloadingItem();
    if (m_pauseAllButton) {
        m_pauseAllButton->setEnabled(isPauseAllEnabled());
        m_resumeAllButton->setEnabled(isResumeAllEnabled());
    }
    scheduleDockUpdate();
}

void DownloadingViewCtr::showActionViewForRow(int row)
{
    if (!m_downloadingActionViewCtrl)
        return;
    if (row < 0 || row >= m_displayNodeArray.size()) {
        hideActionView();
        return;
    }
    auto item = m_displayNodeArray[row]->downloadingItemViewCtr<DLoadingItemViewCtr>();
    if (!item || item->actionView() == m_downloadingActionViewCtrl)
        return;
    hideActionView();
    item->addActionView(m_downloadingActionViewCtrl);
}

void DownloadingViewCtr::hideActionView()
{
    for (const DownloadNode::Ptr &node : std::as_const(m_displayNodeArray))
        if (auto row = node->downloadingItemViewCtr<DLoadingItemViewCtr>(); row && row->actionView())
            row->removeActionView();
    if (m_downloadingActionViewCtrl)
        m_downloadingActionViewCtrl->hide();
}

// Dock -------------------------------------------------------------------------------------------

void DownloadingViewCtr::scheduleDockUpdate()
{
    if (m_dockUpdatePending)
        return;
    m_dockUpdatePending = true;
    QTimer::singleShot(0, this, [this] {
        m_dockUpdatePending = false;
        updateDockIconProgress();
    });
}

void DownloadingViewCtr::updateDockIconProgress()
{
    MTDockIconContentView *dock = MTDockIconContentView::shareDockIconContentView();
    QList<DockProgress::TaskState> states;
    for (const DownloadNode::Ptr &node : std::as_const(m_downloadTaskNodeArray))
        if (auto t = node->reelgrabTask<QVReelgrabTask>())
            states << DockProgress::TaskState{t->downloadStatus(), t->downloadedSize(), t->mediaSize()};
    const DockProgress::Summary s = DockProgress::summarize(states);
    dock->setProgress(float(s.progress), s.count);
    dock->setBadgeLabel(s.activeCount == 0 && s.failedCount > 0 ? QString::number(s.failedCount) : QString());
    dock->display();
    // Sleep is held off exactly while something downloads; an emptied list lets it sleep again.
    MacOSXManager::sharedManager().enabledPowersave(s.activeCount == 0);
    if (!states.isEmpty())
        ScribletLogInfo(QStringLiteral("End updateDockIconProgress"));
}

// Commands ---------------------------------------------------------------------------------------

QList<int> DownloadingViewCtr::selectedRows() const
{
    if (!m_tableView)
        return {};
    QList<int> rows = m_tableView->selectedRowList();
    std::sort(rows.begin(), rows.end());
    rows.removeIf([this](int r) { return r < 0 || r >= m_displayNodeArray.size(); });
    return rows;
}

void DownloadingViewCtr::selectRows(const QList<int> &rows)
{
    if (!m_tableView)
        return;
    m_tableView->clearSelection();
    for (int r : rows)
        m_tableView->selectionModel()->select(m_model->index(r, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QList<DownloadNode::Ptr> DownloadingViewCtr::selectedNodes() const
{
    QList<DownloadNode::Ptr> nodes;
    for (int r : selectedRows())
        nodes << m_displayNodeArray[r];
    return nodes;
}

bool DownloadingViewCtr::isButtonOn(const MGHoverButton *button)
{
    return button && button->isEnabled() && !button->isHidden();
}

bool DownloadingViewCtr::isPauseAllEnabled() const
{
    for (const DownloadNode::Ptr &node : m_downloadTaskNodeArray)
        if (auto row = node->downloadingItemViewCtr<DLoadingItemViewCtr>())
            if ((row->pauseButton() && row->pauseButton()->isEnabled())
                || (row->stopButton() && row->stopButton()->isEnabled()))
                return true;
    return false;
}

bool DownloadingViewCtr::isResumeAllEnabled() const
{
    for (const DownloadNode::Ptr &node : m_downloadTaskNodeArray)
        if (auto t = node->reelgrabTask<QVReelgrabTask>())
            if (t->downloadStatus() == QVReelgrabTaskStatusCancelled || t->downloadStatus() == QVReelgrabTaskStatusPaused)
                return true;
    return false;
}

bool DownloadingViewCtr::validateCommand(Command command) const
{
    if (QApplication::activeModalWidget() || m_downloadTaskNodeArray.isEmpty())
        return false;
    if (!m_view || !m_view->parentWidget() || !m_view->parentWidget()->parentWidget())
        return false;
    const QList<DownloadNode::Ptr> selection = selectedNodes();
    auto anySelected = [&](auto pred) {
        for (const DownloadNode::Ptr &n : selection)
            if (pred(n))
                return true;
        return false;
    };
    auto statusOf = [](const DownloadNode::Ptr &n) {
        auto t = n->reelgrabTask<QVReelgrabTask>();
        return t ? t->downloadStatus() : -1;
    };
    switch (command) {
    case Command::DeleteAll:
        return true;
    case Command::Delete:
        return !selection.isEmpty();
    case Command::PauseAll:
        return isPauseAllEnabled();
    case Command::ResumeAll:
        return isResumeAllEnabled();
    case Command::RetryAll:
        for (const DownloadNode::Ptr &n : m_downloadTaskNodeArray)
            if (ReelgrabingUI::isFailed(statusOf(n)))
                return true;
        return false;
    case Command::CopyURL:
    case Command::GotoPage:
        return selection.size() == 1;
    case Command::Pause:
        return anySelected([&](const DownloadNode::Ptr &n) {
            const int s = statusOf(n);
            return s == 0 || s == 1 || s == 4 || s == 5;
        });
    case Command::Resume:
        return anySelected([&](const DownloadNode::Ptr &n) {
            const int s = statusOf(n);
            return s == 2 || s == 6;
        });
    case Command::Expand:
        return anySelected([](const DownloadNode::Ptr &n) {
            return n->isPlaylistNode() && n->parentNode() && !n->parentNode()->isExtend();
        });
    case Command::Collapse:
        return anySelected([](const DownloadNode::Ptr &n) { return n->parentNode() && n->parentNode()->isExtend(); });
    case Command::Priority:
        if (selection.isEmpty())
            return false;
        for (const DownloadNode::Ptr &n : selection) {
            const int s = statusOf(n);
            if (n->parentNode() || (s != 0 && s != 4))
                return false;
        }
        return true;
    }
    return false;
}

void DownloadingViewCtr::runCommand(Command command)
{
    const QList<int> rows = selectedRows();
    switch (command) {
    case Command::Pause:
        for (int r : rows)
            if (auto row = m_displayNodeArray[r]->downloadingItemViewCtr<DLoadingItemViewCtr>()) {
                if (isButtonOn(row->stopButton()))
                    row->clickStop();
                if (isButtonOn(row->pauseButton()))
                    row->clickPause();
            }
        break;
    case Command::Resume:
        for (int r : rows)
            if (auto row = m_displayNodeArray[r]->downloadingItemViewCtr<DLoadingItemViewCtr>()) {
                if (isButtonOn(row->resumeButton()))
                    row->clickResume();
                if (row->task() && row->task()->downloadStatus() == QVReelgrabTaskStatusCancelled
                    && isButtonOn(row->retryButton()))
                    row->clickRetry();
            }
        break;
    case Command::PauseAll:
        pauseAll();
        break;
    case Command::ResumeAll:
        resumeAll();
        break;
    case Command::RetryAll:
        for (const DownloadNode::Ptr &n : std::as_const(m_downloadTaskNodeArray)) {
            auto row = n->downloadingItemViewCtr<DLoadingItemViewCtr>();
            if (row && row->task() && row->task()->downloadStatus() != QVReelgrabTaskStatusCancelled
                && isButtonOn(row->retryButton()))
                row->clickRetry();
        }
        break;
    case Command::Delete:
        clickDeleteMenuItem();
        break;
    case Command::DeleteAll:
        clickDeleteAllMenuItem();
        break;
    case Command::CopyURL:
        if (rows.size() == 1)
            if (auto t = m_displayNodeArray[rows[0]]->reelgrabTask<QVReelgrabTask>())
                QApplication::clipboard()->setText(t->pageUrl());
        break;
    case Command::GotoPage:
        if (rows.size() == 1)
            if (auto t = m_displayNodeArray[rows[0]]->reelgrabTask<QVReelgrabTask>()) {
                QUrl url(t->pageUrl(), QUrl::StrictMode);
                if (!url.isValid())
                    url = QUrl(NSStringHumanReadable::stringByAddingPercentEscapes(t->pageUrl()), QUrl::StrictMode);
                const QString scheme = url.scheme().toLower();
                // Only web pages are opened; anything else stays shut.
                if (url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")))
                    Workspace::openUrl(url);
            }
        break;
    case Command::Expand:
        for (int r : rows) {
            const DownloadNode::Ptr &n = m_displayNodeArray[r];
            if (!n->playlistName().isEmpty() && n->parentNode() && !n->parentNode()->isExtend())
                n->parentNode()->setIsExtend(true);
        }
        refreshDownloadingItem();
        break;
    case Command::Collapse:
        for (int r : rows) {
            const DownloadNode::Ptr &n = m_displayNodeArray[r];
            if (n->parentNode() && n->parentNode()->isExtend())
                n->parentNode()->setIsExtend(false);
        }
        refreshDownloadingItem();
        break;
    case Command::Priority:
        clickPriorityMenuItem();
        break;
    }
}

void DownloadingViewCtr::pauseAll()
{
    reelgrabDispatcher()->pauseTasks(nullptr);
    if (m_pauseAllButton)
        m_pauseAllButton->setEnabled(false);
}

void DownloadingViewCtr::resumeAll()
{
    reelgrabDispatcher()->restartTasks(nullptr);
}

namespace {
QList<QVReelgrabTask *> tasksWithCollapsedMembers(const QList<DownloadNode::Ptr> &nodes)
{
    QList<QVReelgrabTask *> tasks;
    for (const DownloadNode::Ptr &node : nodes) {
        if (auto t = node->reelgrabTask<QVReelgrabTask>())
            tasks << t.get();
        const DownloadNode::Ptr group = node->parentNode();
        if (group && !group->isExtend())
            for (const DownloadNode::Ptr &member : group->displayNodeArray())
                if (auto t = member->reelgrabTask<QVReelgrabTask>(); t && !tasks.contains(t.get()))
                    tasks << t.get();
    }
    return tasks;
}
} // namespace

void DownloadingViewCtr::pauseDownloadArray(const QList<DownloadNode::Ptr> &nodes)
{
    const QList<QVReelgrabTask *> tasks = tasksWithCollapsedMembers(nodes);
    if (!tasks.isEmpty())
        reelgrabDispatcher()->pauseTasks(&tasks);
}

void DownloadingViewCtr::resumeDownloadArray(const QList<DownloadNode::Ptr> &nodes)
{
    const QList<QVReelgrabTask *> tasks = tasksWithCollapsedMembers(nodes);
    if (!tasks.isEmpty())
        reelgrabDispatcher()->restartTasks(&tasks);
}

void DownloadingViewCtr::downloadingTaskWillPausePlaylist(const DownloadNode::Ptr &node)
{
    if (node)
        pauseDownloadArray({node});
}

void DownloadingViewCtr::downloadingTaskWillResumePlaylist(const DownloadNode::Ptr &node)
{
    if (node)
        resumeDownloadArray({node});
}

bool DownloadingViewCtr::isProtected(const QVReelgrabTask *task)
{
    const int s = task->downloadStatus();
    return s == 1 || s == 4 || s == 5 || s == 6 || s == 8;
}

bool DownloadingViewCtr::confirmDeletion(int type) const
{
    QuitCheckDialogboxController dialog(m_view ? m_view->window() : nullptr);
    return dialog.runModalForType(type) == QuitCheckDialogboxController::Confirmed;
}

void DownloadingViewCtr::clickDeleteMenuItem()
{
    QList<QVReelgrabTask *> tasks;
    for (const DownloadNode::Ptr &node : selectedNodes()) {
        const DownloadNode::Ptr group = node->parentNode();
        if (node->isPlaylistNode() && group && !group->isExtend())
            for (const DownloadNode::Ptr &member : group->displayNodeArray())
                if (auto t = member->reelgrabTask<QVReelgrabTask>(); t && !tasks.contains(t.get()))
                    tasks << t.get();
        if (auto t = node->reelgrabTask<QVReelgrabTask>(); t && !tasks.contains(t.get()))
            tasks << t.get();
    }
    if (!tasks.isEmpty())
        deleteDownloadTask(tasks);
}

void DownloadingViewCtr::downloadingTaskWillDelete(const DownloadNode::Ptr &node)
{
    if (!node)
        return;
    QList<QVReelgrabTask *> tasks;
    const DownloadNode::Ptr group = node->parentNode();
    if (node->isPlaylistNode() && group) {
        for (const DownloadNode::Ptr &member : group->childrenNode())
            if (auto t = member->reelgrabTask<QVReelgrabTask>())
                tasks << t.get();
    } else if (auto t = node->reelgrabTask<QVReelgrabTask>()) {
        tasks << t.get();
    }
    deleteDownloadTask(tasks);
}

void DownloadingViewCtr::deleteDownloadTask(const QList<QVReelgrabTask *> &tasks)
{
    if (tasks.isEmpty())
        return;
    if (UserDefaults::standard().boolForKey(QStringLiteral("AlertWhenDeleteDownloading"))
        && std::any_of(tasks.begin(), tasks.end(), [](QVReelgrabTask *t) { return isProtected(t); })) {
        if (!confirmDeletion(selectedRows().size() > 1 ? 1 : 0))
            return;
    }
    hideActionView();
    reelgrabDispatcher()->removeTasks(&tasks);
    refreshDownloadingItem();
}

void DownloadingViewCtr::clickDeleteAllMenuItem()
{
    if (m_downloadTaskNodeArray.isEmpty())
        return;
    bool anyProtected = false;
    for (const DownloadNode::Ptr &node : std::as_const(m_downloadTaskNodeArray))
        if (auto t = node->reelgrabTask<QVReelgrabTask>(); t && isProtected(t.get()))
            anyProtected = true;
    if (UserDefaults::standard().boolForKey(QStringLiteral("AlertWhenDeleteAllDownloading")) && anyProtected
        && !confirmDeletion(2))
        return;
    hideActionView();
    reelgrabDispatcher()->removeTasks(nullptr);
    refreshDownloadingItem();
}

void DownloadingViewCtr::clickPriorityMenuItem()
{
    QList<DownloadNode::Ptr> moved;
    for (const DownloadNode::Ptr &node : selectedNodes()) {
        auto t = node->reelgrabTask<QVReelgrabTask>();
        if (t && (t->downloadStatus() == QVReelgrabTaskStatusQueued || t->downloadStatus() == QVReelgrabTaskStatusWaiting))
            moved << node;
    }
    if (moved.isEmpty())
        return;
    QList<DownloadNode::Ptr> order = moved;
    for (const DownloadNode::Ptr &node : std::as_const(m_downloadTaskNodeArray))
        if (!moved.contains(node))
            order << node;
    m_downloadTaskNodeArray = order;
    QTimer::singleShot(0, this, [this] {
        QList<QVReelgrabTask *> tasks;
        for (const DownloadNode::Ptr &node : std::as_const(m_downloadTaskNodeArray))
            if (auto t = node->reelgrabTask<QVReelgrabTask>())
                tasks << t.get();
        reelgrabDispatcher()->rearrange(tasks);
    });
    refreshDownloadingItem();
}

bool DownloadingViewCtr::acceptsDroppedAddress(const QString &address)
{
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}
