#pragma once

#include "controls/ConverterButton.h"
#include "downloads/DownloadNode.h"
#include "downloads/DownloadedActionViewCtrl.h"
#include "downloads/DownloadedItem.h"
#include "downloads/DownloadedItemObserver.h"
#include "downloads/DownloadedRowDisplay.h"

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <memory>

class FNClickTextField;
class MGHoverButton;
class MGProgressIndicator;
class MTImageView;
class QAbstractButton;
class QLabel;
class QLineEdit;
class QWidget;

// What a finished-media row tells its list page. Every message does nothing by default: each
// page (library, converter, record, transfer) overrides the ones that apply. The node is the
// row's own node unless said.
class DownloadedItemViewCtrlDelegate
{
public:
    virtual ~DownloadedItemViewCtrlDelegate() = default;

    virtual void downloadedItemWillDelete(const DownloadNode::Ptr &node) {}
    virtual void downloadedItemAddToConverter(const DownloadNode::Ptr &node) {}
    virtual void downloadedItemAddToTransfer(const DownloadNode::Ptr &node) {}
    virtual void downloadedItemStartConverter(const DownloadNode::Ptr &node) {}
    virtual void downloadedItemStartTransfer(const DownloadNode::Ptr &node) {}
    virtual void taskItemWillPause(const DownloadNode::Ptr &node) {}
    virtual void taskItemWillResume(const DownloadNode::Ptr &node) {}
    virtual void taskItemWillDelete(const DownloadNode::Ptr &node) {}
    virtual void playWillStart(const DownloadNode::Ptr &node) {}
    // End of title editing: the node and the text typed.
    virtual void changeDidEnd(const DownloadNode::Ptr &node, const QString &title) {}
    // A converted button asks to be restored: the item's library identifier and the button.
    virtual void convertedButtonWillChange(qint32 downloadID, QAbstractButton *button) {}
};

// The row of every list of finished media: one DownloadNode whose item is a DownloadedItem.
// Display type 1 (or 2) for the library and record lists, 3 for the converter list, 4 for the
// transfer list. Two faces: the information face (title, duration, size, file type,
// resolution, thumbnail, result of the last follow-up job) and the task face (progress of a
// waiting, running or paused job with pause/resume and cancel). The first displayed member of
// a play list is its header and also shows the list's name, item count and an expand/collapse
// control.
//
// Lifetime: the node owns the row (create() attaches it); the row keeps its node weakly. The
// view is made on first use; a table that takes it away may delete it, and the next view()
// makes a new one showing the current state. Main thread only; item news from other threads
// are moved there.
class DownloadedItemViewCtrl : public QObject,
                               public DownloadedRowDisplay,
                               public DownloadedItemObserver,
                               public DownloadedActionDelegate,
                               public ConverterButtonDelegate
{
    Q_OBJECT
public:
    enum DisplayType : quint32 { Library = 1, LibraryAlike = 2, Converter = 3, Transfer = 4 };

    static constexpr int RowHeight = 81;
    static constexpr int PlaylistRowHeight = 117;
    // Height of the play-list strip above the item part of a header row.
    static constexpr int PlaylistStripHeight = PlaylistRowHeight - RowHeight;

    // init (no node) / initWithDownloadNode:. Display type 1, cancel offered.
    explicit DownloadedItemViewCtrl(const DownloadNode::Ptr &node = nullptr);
    ~DownloadedItemViewCtrl() override;

    // Makes the row for a node, sets its delegate and display type, attaches it to the node
    // (which owns it from then on) and lets it follow the item's file information.
    static std::shared_ptr<DownloadedItemViewCtrl> create(const DownloadNode::Ptr &node,
                                                          DownloadedItemViewCtrlDelegate *delegate,
                                                          quint32 displayType);

    QWidget *view();
    bool isViewLoaded() const { return !m_view.isNull(); }
    // 117 for a play-list header row, else 81.
    int rowHeight() const;

    DownloadNode::Ptr downloadNode() const { return m_downloadNode.lock(); }
    void setDownloadNode(const DownloadNode::Ptr &node) { m_downloadNode = node; }
    DownloadedItemViewCtrlDelegate *delegate() const { return m_delegate; }
    void setDelegate(DownloadedItemViewCtrlDelegate *delegate) { m_delegate = delegate; }
    quint32 displayType() const { return m_displayType; }
    void setDisplayType(quint32 type);
    bool isTaskNeedCancle() const { return m_isTaskNeedCancle; }
    void setIsTaskNeedCancle(bool offered);
    bool showPlayButton() const { return m_showPlayButton; }
    void setShowPlayButton(bool show) { m_showPlayButton = show; }
    bool isDisplayParentNode() const { return m_isDisplayParentNode; }
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

    // Shows the item: chooses the face and fills it (DownloadedRowDisplay).
    void displayViewCtroller(const std::shared_ptr<DownloadedItem> &item) override;
    // Progress of the item's job (DownloadedRowDisplay).
    void taskProgressChanged(const std::shared_ptr<DownloadedItem> &item) override;
    // The same, with "Waiting for convert..." when the job has no state text yet.
    void updateProgress(const std::shared_ptr<DownloadedItem> &item);
    // Whether a job state puts the row on its task face (1, 2 or 3).
    static bool isDisplayTaskView(quint32 taskStatus);

    void setThumbnail(const QImage &image);
    void setVideoSource();
    void setLocalFileExistsPicture();
    void setLocalFileUnExistsPicture();
    void setInfomationPicture();
    void setHightLightInformationPicture() {}
    void setButtonAttribute(QAbstractButton *) {}
    // Loads the item's thumbnail file into the thumbnail view when the file exists.
    void fileThumbnailChanged(const std::shared_ptr<DownloadedItem> &item);
    void resetThumbnailFrame();

    // Layout as a play-list header (name, count, summary, expand/collapse) or as a plain row.
    void displayWithPlaylistNode();
    void displayViewNormalNode();
    void setPlaylistInfo();
    Q_INVOKABLE void clickDisclosure();

    // The hover bar: attaches it to this row (the row becomes its delegate, takes it into its
    // view, places it and picks its mode), puts it back in place, or lets it go (hidden, back
    // under the widget that held it before, no delegate).
    void addActionView(DownloadedActionViewCtrl *action);
    void resetActionView();
    void removeActionView();
    DownloadedActionViewCtrl *actionCtrl() const { return m_actionCtrl; }
    // The mode the bar takes on this row now.
    DownloadedActionViewCtrl::DisplayMode actionModeForItem(const std::shared_ptr<DownloadedItem> &item) const;

    // Start of the fly-in animation: 40 x 40 near the row's right edge, in window coordinates.
    QRect getAminStartFrame() const;
    QLineEdit *getTitleTxtField() const { return m_titleTxtField; }
    // Renaming: the title becomes editable; Return ends it (the delegate hears changeDidEnd),
    // Escape gives the old title back and tells nobody.
    void beginTitleEditing();
    bool isTitleEditing() const { return m_titleEditing; }

    // Button actions.
    void deleteItem();
    void addToConverter();
    void addToTransfer();
    void startConverter();
    void startTransfer();
    void pauseConverter();
    void resumeConverter();
    void delConverter();
    void playVideo();

    // The action bar's presses (DownloadedActionDelegate): 1 delete, 2 converter, 3 transfer.
    void downloadedActionChangedWithType(int type) override;
    // Item news that are not job state (DownloadedItemObserver).
    void fileInfoItemDataChange(DownloadedItem &item) override;
    void mtImageViewMouseEntered();
    void mtImageViewMouseExited();
    // Convert-button callbacks of the lists that show one: the pointer over the start button
    // shows "Convert"; leaving it lets the list page restore the button (ConverterButtonDelegate).
    void converterBtnHadChangedStatus(MGHoverButton *button);
    void convertedBtnWillRestore(QAbstractButton *button);
    void converterBtnHadChangedStatus(ConverterButton *button) override;
    void convertedBtnWillRestore(ConverterButton *button) override;

    // As DownloadedItem::deleteFileToTrash.
    static bool deleteFileToTrash(const QString &path, QString *error = nullptr);

    // What the row shows (for the list pages and tests).
    bool isShowingTaskFace() const;
    QString titleText() const;
    QString timeText() const;
    QString sizeText() const;
    QString fileTypeText() const;
    QString resolutionText() const;
    bool isResolutionVisible() const;
    bool isLocalFileShownMissing() const { return m_fileMissingShown; }
    bool isDefaultThumbnail() const { return m_isDefautThum; }
    QImage thumbnailImage() const;
    QString taskResultText() const;
    QColor taskResultColor() const;
    bool isTaskResultVisible() const;
    QString stateText() const;
    QString secondStateText() const;
    QString percentText() const;
    double progressValue() const;
    QString playlistNameText() const;
    QString playlistCountText() const;
    QString playlistSummaryText() const; // plain text of the summary, "" when hidden
    bool isPlaylistSummaryVisible() const;
    bool isPlaylistAnimationVisible() const;
    bool isPlayButtonVisible() const;
    MGHoverButton *satrtTaskButton() const { return m_satrtTaskButton; }
    MGHoverButton *pauseButton() const { return m_pauseButton; }
    MGHoverButton *cancelButton() const { return m_cancelButton; }
    MGHoverButton *deleteButton() const { return m_deleteButton; }
    MGHoverButton *playButton() const { return m_playButton; }
    MGHoverButton *disclosureButton() const { return m_disclosureButton; }
    FNClickTextField *playlistNameTxtField() const { return m_playlistNameTxtField; }
    MTImageView *picture() const { return m_picture; }

private:
    void loadView();
    void refreshWithDisplayType();
    void changeView(const std::shared_ptr<DownloadedItem> &item);
    void displayDownloadedView(const std::shared_ptr<DownloadedItem> &item);
    void displayTaskRuningView(const std::shared_ptr<DownloadedItem> &item);
    void showTaskFace(bool task);
    void setPauseButtonPausing(bool pausing);
    void setActionMode(DownloadedActionViewCtrl::DisplayMode mode);
    void endTitleEditing(bool commit);
    void layoutRow();
    bool isCollapsedHeader() const;
    bool isChildLayout() const;
    std::shared_ptr<DownloadedItem> item() const;
    bool eventFilter(QObject *watched, QEvent *event) override;

    std::weak_ptr<DownloadNode> m_downloadNode;
    DownloadedItemViewCtrlDelegate *m_delegate = nullptr;
    QPointer<DownloadedActionViewCtrl> m_actionCtrl;
    QPointer<QWidget> m_actionHome; // where the bar lived before this row took it
    quint32 m_displayType = Library;
    bool m_isTaskNeedCancle = true;
    bool m_isDisplayParentNode = false;
    bool m_showPlayButton = true;
    bool m_isDefautThum = true;
    bool m_fileMissingShown = false;
    bool m_taskFaceShown = false;
    bool m_selected = false;
    bool m_titleEditing = false;
    bool m_startRequested = false; // a library row asked to offer its start button
    QString m_titleBeforeEditing;

    QPointer<QWidget> m_view;
    QWidget *m_contenView = nullptr;
    QLineEdit *m_titleTxtField = nullptr;
    MTImageView *m_picture = nullptr;
    QLabel *m_localFileExistsBtn = nullptr;
    MGHoverButton *m_playButton = nullptr;
    MGHoverButton *m_deleteButton = nullptr;
    QWidget *m_playlistbox = nullptr;
    FNClickTextField *m_playlistNameTxtField = nullptr;
    MGHoverButton *m_disclosureButton = nullptr;
    QLabel *m_animationView = nullptr;
    QLabel *m_playlistCountLable = nullptr;
    QLabel *m_taskInfoField = nullptr;
    QWidget *m_videoInformationView = nullptr;
    MGHoverButton *m_satrtTaskButton = nullptr;
    QLabel *m_lblTime = nullptr;
    QLabel *m_lblSize = nullptr;
    QLabel *m_lblFiletype = nullptr;
    QLabel *m_lblResolution = nullptr;
    QLabel *m_timeView = nullptr;
    QLabel *m_sizeView = nullptr;
    QLabel *m_fileTypeView = nullptr;
    QLabel *m_resolutionView = nullptr;
    QWidget *m_converterView = nullptr;
    MGHoverButton *m_pauseButton = nullptr;
    MGHoverButton *m_cancelButton = nullptr;
    MGProgressIndicator *m_progress = nullptr;
    QLabel *m_lblPercent = nullptr;
    QLabel *m_lblStatus = nullptr;
    QLabel *m_lbl2Status = nullptr;
    QLabel *m_lblTaskResult = nullptr;
    QLabel *m_imageTaskResult = nullptr;
    bool m_pauseButtonPausing = true;
};
