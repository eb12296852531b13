#pragma once

#include "downloads/DLoadingItemViewCtr.h"
#include "downloads/DownloadContentRules.h"
#include "reelgrab/kit/QVReelgrabTaskDispatcher.h"
#include "shell/MainWindowPage.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class DownloadTableView;
class DownloadingActionViewCtrl;
class MGHoverButton;
class QAction;
class QMenu;
class QStandardItemModel;
class QWidget;

// What the running list tells the download page.
class DownloadingViewCtrDelegate
{
public:
    virtual ~DownloadingViewCtrDelegate() = default;
    virtual void reelgrabTaskDidFinished(QVReelgrabTask *task) {}
    virtual void downloadItemCountDidChanged() {}
};

// The "Downloading" tab: the only place that talks to the download-task queue. It creates the
// queue once, keeps it supplied with the download preferences, decides what each new download
// asks for, and shows every task as a row of a node tree (play lists under a group node).
class DownloadingViewCtr : public QObject,
                           public QVReelgrabTaskDispatcherDelegate,
                           public QVReelgrabTaskObserver,
                           public DownloadingListInterface,
                           public DLoadingItemViewCtrDelegate
{
    Q_OBJECT
public:
    // Menu and command actions, as the menus and their validation know them.
    enum class Command {
        Pause, Resume, PauseAll, ResumeAll, RetryAll, Delete, DeleteAll, CopyURL, GotoPage, Expand, Collapse,
        Priority
    };

    // databasePath empty: "Library.db" of the product's support folder.
    explicit DownloadingViewCtr(const QString &databasePath = QString(), QObject *parent = nullptr);
    ~DownloadingViewCtr() override;

    QWidget *view();
    DownloadTableView *tableView() const { return m_tableView; }
    QVReelgrabTaskDispatcher *reelgrabDispatcher();

    void setDelegate(DownloadingViewCtrDelegate *delegate) { m_delegate = delegate; }
    // Counts finished members of a play list (the library); 0 when unset.
    void setPlaylistFinishCounter(std::function<int(const QString &playlistID)> counter);

    void preferencesDidUpdate();
    void setTurboModeState(bool on);
    bool addReelgrabTask(const QString &url, const QVariantMap &params, bool isShowOptions);
    bool isTaskAdd() const override { return m_isTaskAdd; }
    int tasksCount() const { return int(m_downloadTaskNodeArray.size()); }
    bool isAnyTaskDownloading() const;
    bool isAnyTaskRunning() const;
    QString downloadingContextDescription() const;

    // DownloadingListInterface
    void addReelgrabTask(const QString &url, const QVariantMap &params) override;
    void addReelgrabTasks(const QList<QVariantMap> &items, const QString &fromPage, const QVariantMap &params) override;
    // Points the items of the main menu's "Download" menu (third, items by their "tag" property)
    // at this list; nothing when the menu bar has no such menu.
    void setMenuTarget() override;

    // The options dialog used on the paste road (tests put their own answer here).
    void setOptionsDialog(DownloadContentRules::OptionsDialog dialog) { m_optionsDialog = std::move(dialog); }

    // Rows and commands.
    void refreshDownloadingItem();
    void updateUi();
    void updateDockIconProgress();
    bool validateCommand(Command command) const;
    void runCommand(Command command);
    void pauseAll();
    void resumeAll();
    void pauseDownloadArray(const QList<DownloadNode::Ptr> &nodes);
    void resumeDownloadArray(const QList<DownloadNode::Ptr> &nodes);
    void deleteDownloadTask(const QList<QVReelgrabTask *> &tasks);
    void clickDeleteMenuItem();
    void clickDeleteAllMenuItem();
    void clickPriorityMenuItem();
    bool isPauseAllEnabled() const;
    bool isResumeAllEnabled() const;
    // Whether a drop carrying this address is taken.
    static bool acceptsDroppedAddress(const QString &address);
    void showActionViewForRow(int row);
    void hideActionView();

    const QList<DownloadNode::Ptr> &taskNodes() const { return m_downloadTaskNodeArray; }
    const QList<DownloadNode::Ptr> &displayNodes() const { return m_displayNodeArray; }
    const QList<DownloadNode::Ptr> &playlistNodes() const { return m_playlistNodeArray; }
    DownloadNode::Ptr nodeForTask(const QVReelgrabTask *task) const;
    std::shared_ptr<DLoadingItemViewCtr> rowForNode(const DownloadNode::Ptr &node);
    QList<int> selectedRows() const;
    void selectRows(const QList<int> &rows);
    QMenu *contextMenu() const { return m_menutableView; }
    MGHoverButton *pauseAllButton() const { return m_pauseAllButton; }
    MGHoverButton *resumeAllButton() const { return m_resumeAllButton; }
    DownloadingActionViewCtrl *actionView() const { return m_downloadingActionViewCtrl; }

    // QVReelgrabTaskDispatcherDelegate
    bool isPlaylistCouldAnalyst(const QString &url, const QVariantMap &params) override { return true; }
    bool reelgrabTaskCouldAdd(QVReelgrabTask *task) override;
    void reelgrabTaskDidAdded(QVReelgrabTask *task) override;
    bool reelgrabTasksCouldAdd(const QList<QVReelgrabTask *> &tasks) override;
    void reelgrabTasksDidAdd(const QList<QVReelgrabTask *> &tasks) override;
    bool reelgrabTaskCouldLoad(QVReelgrabTask *task) override { return true; }
    void reelgrabTaskDidLoad(QVReelgrabTask *task) override;
    void reelgrabTaskWillbeRemoved(QVReelgrabTask *task) override;
    void reelgrabTaskDidFinished(QVReelgrabTask *task) override;
    void reelgrabKitUpdateDidComplete2(const QString &info) override;

    // QVReelgrabTaskObserver
    void reelgrabDownloadDidReset(QVReelgrabTask *task) override;
    void reelgrabSniffingDidStarted(QVReelgrabTask *task) override;
    void reelgrabDownloadDidStarted(QVReelgrabTask *task) override;
    void reelgrabDownloadDidPaused(QVReelgrabTask *task) override;
    void reelgrabSniffingDidFailed(QVReelgrabTask *task, const QVReelgrabError &error) override;
    void reelgrabDownloadDidFailed(QVReelgrabTask *task, const QVReelgrabError &error) override;
    void reelgrabDownloadDidFinished(QVReelgrabTask *task) override;

    // DLoadingItemViewCtrDelegate
    void downloadingTaskWillDelete(const DownloadNode::Ptr &node) override;
    void downloadingTaskWillPausePlaylist(const DownloadNode::Ptr &node) override;
    void downloadingTaskWillResumePlaylist(const DownloadNode::Ptr &node) override;

    // After a helper update: how the program is started again once this process has ended
    // (program and its arguments); tests put their own here, the default starts it and quits.
    void setRelaunchHandler(std::function<void(const QString &, const QStringList &)> handler)
    {
        m_relaunchHandler = std::move(handler);
    }
    // Arguments of /bin/sh that wait for process pid to end, then run program with arguments.
    static QStringList relaunchArguments(const QString &program, const QStringList &arguments, qint64 pid);

    // "Contents" bit mask of a task on the YouTube site test of the statistics.
    static bool isYouTubeTask(const QVReelgrabTask *task);

private:
    void loadView();
    void addDownloadNodeWithTask(QVReelgrabTask *task);
    void removeNodeOfTask(QVReelgrabTask *task);
    void layoutRowViews();
    void scheduleDockUpdate();
    void countFailure(QVReelgrabTask *task, bool sniffing, const QVReelgrabError &error);
    QList<DownloadNode::Ptr> selectedNodes() const;
    static bool isProtected(const QVReelgrabTask *task);
    bool confirmDeletion(int type) const;
    static bool isButtonOn(const MGHoverButton *button);

    QString m_databasePath;
    std::unique_ptr<QVReelgrabTaskDispatcher> m_reelgrabDispatcher;
    DownloadingViewCtrDelegate *m_delegate = nullptr;
    std::function<int(const QString &)> m_playlistFinishCounter;
    DownloadContentRules::OptionsDialog m_optionsDialog;
    std::function<void(const QString &, const QStringList &)> m_relaunchHandler;
    QList<DownloadNode::Ptr> m_downloadTaskNodeArray;
    QList<DownloadNode::Ptr> m_displayNodeArray;
    QList<DownloadNode::Ptr> m_playlistNodeArray;
    bool m_isTaskAdd = false;
    bool m_dockUpdatePending = false;

    QPointer<QWidget> m_view;
    DownloadTableView *m_tableView = nullptr;
    QStandardItemModel *m_model = nullptr;
    QWidget *m_emptyView = nullptr;
    class IntroduceViewCtrl *m_introduceViewCtrl = nullptr;
    MGHoverButton *m_pauseAllButton = nullptr;
    MGHoverButton *m_resumeAllButton = nullptr;
    QPointer<DownloadingActionViewCtrl> m_downloadingActionViewCtrl;
    QMenu *m_menutableView = nullptr;
    QMap<Command, QAction *> m_menuActions;
};
