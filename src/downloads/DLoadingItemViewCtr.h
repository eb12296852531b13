#pragma once

#include "downloads/DownloadNode.h"
#include "downloads/DownloadingActionViewCtrl.h"
#include "reelgrab/QVReelgrabTask.h"

#include <QColor>
#include <QObject>
#include <QPointer>

class DownloadingActionViewCtrl;
class MGHoverButton;
class MGProgressIndicator;
class MTImageView;
class QLabel;
class QVUrlLabel;
class QWidget;

// What a running row asks of its list.
class DLoadingItemViewCtrDelegate
{
public:
    virtual ~DLoadingItemViewCtrDelegate() = default;
    virtual void downloadingTaskWillDelete(const DownloadNode::Ptr &node) = 0;
    virtual void downloadingTaskWillPausePlaylist(const DownloadNode::Ptr &node) = 0;
    virtual void downloadingTaskWillResumePlaylist(const DownloadNode::Ptr &node) = 0;
};

// One row of the running-downloads list: follows its task as an observer and redraws the state
// text, progress, thumbnail and buttons. The controller lives with its node; its view is made on
// first use and may be taken away by the table's viewport (the controller then makes a new one).
class DLoadingItemViewCtr : public QObject, public QVReelgrabTaskObserver
{
    Q_OBJECT
public:
    DLoadingItemViewCtr(const DownloadNode::Ptr &node, QVReelgrabTask *task);
    ~DLoadingItemViewCtr() override;

    QWidget *view();
    bool isViewLoaded() const { return !m_view.isNull(); }

    void setDelegate(DLoadingItemViewCtrDelegate *delegate) { m_delegate = delegate; }
    QVReelgrabTask *task() const { return m_downloadTask; }
    DownloadNode::Ptr downloadNode() const { return m_downloadNode.lock(); }
    int finishCount() const { return m_finishCount; }
    void setFinishCount(int count) { m_finishCount = count; }

    void displayWithDownloadNode(const DownloadNode::Ptr &node);
    void setDisplayWithPlaylistNode();
    void setPlaylistInfo();
    bool isHaveRuningTask() const;
    void displayWithReelgrabTask(QVReelgrabTask *task);
    void setButtonStateWithTaskState(int status);
    void setShowTurbroIco();
    void setSelected(bool selected);

    void addActionView(DownloadingActionViewCtrl *action);
    void removeActionView();
    void resetActionView();
    DownloadingActionViewCtrl *actionView() const { return m_actionCtrl; }

    // Button actions.
    void clickDelete();
    void clickPause();
    void clickRetry();
    void clickResume();
    void clickStop();
    void clickPlaylistPause();
    void clickPlaylistResume();
    void clickDisclosure();
    // Recording a running download is not offered yet: says so in a box over the window.
    void clickStartRecord();
    Q_INVOKABLE void goToRecodView();

    // What the row shows (read by the list and by tests).
    QString statusText() const;
    // Why the task failed, under the status text; empty while hidden.
    QString failureReasonText() const;
    QString statusToolTip() const;
    QColor statusColor() const;
    bool isStatusClickable() const;
    QString statusLink() const;
    bool isProgressVisible() const;
    bool isProgressIndeterminate() const;
    double progressValue() const;
    bool isPercentVisible() const;
    QString percentText() const;
    QString titleText() const;
    QString playlistInfoText() const;
    MGHoverButton *pauseButton() const { return m_pauseButton; }
    MGHoverButton *retryButton() const { return m_retryButton; }
    MGHoverButton *resumeButton() const { return m_resumeButton; }
    MGHoverButton *stopButton() const { return m_stopButton; }
    MGHoverButton *deleteButton() const { return m_deleteButton; }
    MGHoverButton *startRecordButton() const { return m_startRecordButton; }
    MGProgressIndicator *progressIndicator() const { return m_progressIndicator; }

    // QVReelgrabTaskObserver
    void reelgrabSniffingDidStarted(QVReelgrabTask *task) override;
    void reelgrabSniffingInProgress(QVReelgrabTask *task, double progress) override;
    void reelgrabSniffingDidCompleted(QVReelgrabTask *task) override;
    void reelgrabSniffingDidFailed(QVReelgrabTask *task, const QVReelgrabError &error) override;
    void reelgrabSniffingDidCanceled(QVReelgrabTask *task) override;
    void reelgrabDownloadDidStarted(QVReelgrabTask *task) override;
    void reelgrabDownloadingWithSpeed(QVReelgrabTask *task, qint64 bytesPerSecond) override;
    void reelgrabDownloadWillPause(QVReelgrabTask *task) override;
    void reelgrabDownloadDidPaused(QVReelgrabTask *task) override;
    void reelgrabDownloadDidReset(QVReelgrabTask *task) override;
    void reelgrabDownloadDidCompleted(QVReelgrabTask *task) override;
    void reelgrabDownloadDidFinished(QVReelgrabTask *task) override;
    void reelgrabDownloadDidFailed(QVReelgrabTask *task, const QVReelgrabError &error) override;

    static constexpr int RowHeight = 81;
    static constexpr int PlaylistRowHeight = 117;

private:
    void loadView();
    void redrawCommon();
    void updateImagesByReelgrabTask();
    void setStatus(const QString &text, const QColor &color = QColor(154, 154, 154));
    void setFailureStatus(const QString &text, const QString &link);
    void showProgress(bool indeterminate, double value, bool percent);
    void hideProgress();
    void stopIndeterminate();
    void updatePercent();
    void showFailureReason(const QString &reason);
    void hideWarning();
    void layoutRow();
    QList<QVReelgrabTask *> playlistMemberTasks() const;

    QVReelgrabTask *m_downloadTask = nullptr;
    std::weak_ptr<DownloadNode> m_downloadNode;
    DLoadingItemViewCtrDelegate *m_delegate = nullptr;
    QPointer<DownloadingActionViewCtrl> m_actionCtrl;
    int m_finishCount = 0;
    bool m_isSupportTurbo = false;
    bool m_isDefautThum = true;
    bool m_isDefautIcon = true;
    bool m_playlistHeader = false;
    bool m_selected = false;
    QString m_thumbnailPath;
    QString m_webIconPath;

    QPointer<QWidget> m_view;
    MTImageView *m_thumbnailView = nullptr;
    QLabel *m_webIconView = nullptr;
    QLabel *m_subtitleView = nullptr;
    QLabel *m_titleField = nullptr;
    QVUrlLabel *m_downloadStatusField = nullptr;
    QLabel *m_progressField = nullptr;
    QLabel *m_warningField = nullptr;
    QLabel *m_resolutionTextField = nullptr;
    QLabel *m_turbroIco = nullptr;
    MGHoverButton *m_deleteButton = nullptr;
    MGHoverButton *m_pauseButton = nullptr;
    MGHoverButton *m_retryButton = nullptr;
    MGHoverButton *m_resumeButton = nullptr;
    MGHoverButton *m_stopButton = nullptr;
    // No status shows it: the row's button tables never list it.
    MGHoverButton *m_startRecordButton = nullptr;
    MGProgressIndicator *m_progressIndicator = nullptr;
    QWidget *m_playlistbox = nullptr;
    QLabel *m_playlistNameTxtField = nullptr;
    MGHoverButton *m_disclosureButton = nullptr;
    QLabel *m_taskInfoField = nullptr;
    QLabel *m_secondTitleField = nullptr;
    QLabel *m_playlistCountLable = nullptr;
    MGHoverButton *m_pausePlaylistButton = nullptr;
    MGHoverButton *m_resumePlaylistButton = nullptr;
    MGHoverButton *m_retryPlaylistButton = nullptr;
    QWidget *m_bottomLine = nullptr;
};
