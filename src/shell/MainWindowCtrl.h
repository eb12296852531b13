#pragma once

#include "controls/QVToolBar.h"
#include "shell/URLEventDecoder.h"
#include "shell/URLRateLimiter.h"

#include "controls/AddToTaskAnimationWnd.h"
#include "controls/BackgroundView.h"
#include "controls/CustomBox.h"
#include "controls/MAAttachedWindow.h"
#include "controls/MGHoverButton.h"
#include "controls/QVUrlLabel.h"
#include "controls/WhiteBackgroundView.h"
#include "shell/TimeSchedulerViewCtrl.h"
#include "shell/TimeSchedulerViewDelegate.h"
#include "shell/TimingAlertWnd.h"
#include "shell/TimingAlertWndDelegate.h"

#include <QLabel>
#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <QRectF>

#include <array>
#include <functional>
#include <memory>

class AddToTaskAnimationWnd;
class BackgroundView;
class CustomBox;
class MAAttachedWindow;
class MGHoverButton;
class MainWindowPage;
class QLabel;
class QMainWindow;
class QVToolBarItem;
class QVUrlLabel;
class WhiteBackgroundView;
class TimeSchedulerViewCtrl;
class TimingAlertWnd;
struct Notification;

// The controller of the single main window: the tool bar of five pages (Download 0, Record 1,
// Convert 2, Transfer 3, Online 4), pages made on first use and swapped into the body, the
// notifications by which other subsystems hand items to a page, the fly-in towards a tool-bar
// item, the URL events, and the after-tasks count-down.
class MainWindowCtrl : public QObject, public QVToolBarDelegate, public TimeSchedulerViewDelegate, public TimingAlertWndDelegate
{
    Q_OBJECT
public:
    static constexpr int ToolBarWidth = 122;
    static constexpr int ToolBarItemHeight = 94;
    static constexpr int TitleHeight = 56;
    static constexpr int InfoHeight = 30;
    // Any web page can open a play-list request: longer lists are queued only when the user says so.
    static constexpr int MaxUnaskedPlaylistItems = 5;

    MainWindowCtrl();
    ~MainWindowCtrl() override;

    // Loads the window on first call and runs its start-up.
    QMainWindow *window();
    bool isWindowLoaded() const { return m_window != nullptr; }

    // Pages.
    void gotoDownloadView();
    void gotoRecordView();
    void gotoConverterView();
    void gotoTransferView();
    void gotoOnlineView();
    void gotoPage(int tag);
    MainWindowPage *page(int tag) const;
    MainWindowPage *currentPage() const;
    int curButtonType() const { return m_curButtonType; }
    QVToolBar *mainToolBar() const { return m_mainToolBar; }
    QLabel *stateInfoLable() const { return m_stateInfoLable; }
    QWidget *bodyView() const;

    // Tool bar.
    bool toolBarShouldSelectItem(QVToolBar *bar, QVToolBarItem *item) override;
    // Points between items for a localisation ("fr", "de", "ja", "es", "pt", "it": 0, else 18).
    static int itemSpaceForLanguage(const QString &language);

    // URL events.
    void handleGetURLEvent(const QString &url);
    bool isURLLanch() const { return m_isURLLanch; }
    void setIsURLLanch(bool on) { m_isURLLanch = on; }

    // Window actions.
    void pasteURL();
    void resetDownloadingMenu();
    bool isScreenRecording() const;
    void preference();
    void openAboutWindow();
    void clickSurvery();
    void clickFeedback();
    void timeSchedulerClick();
    void hiddenTimeSchedulerWindow();
    void timeSchedulerValueDidChange(TimeSchedulerViewCtrl *sender) override;
    void setupTimeSchedulerIcon(qint64 mode);
    MGHoverButton *timeSchedulerButton() const { return m_btnTimeScheduler; }
    MAAttachedWindow *timeScheduleWindow() const { return m_timeScheduleWindow; }

    // Fly-in from a rectangle of the window (y-up, as "AminFrame" carries it; empty: the
    // window's centre) to the icon of the tool-bar item with the tag.
    void startAddAmintion(const QRectF &startUp, int tag);
    AddToTaskAnimationWnd *addToTaskAnimationWnd() const { return m_addToTaskAnimationWnd; }
    // "{{x, y}, {w, h}}" -> rectangle; empty for anything else.
    static QRectF rectFromString(const QString &text);
    // The target of a fly-in to the tag, in window coordinates (y down).
    QRectF animationTargetForTag(int tag) const;

    // True while a page has running work (Download, Transfer, Convert, Record; pages never made
    // count as idle).
    bool hasRunningTask() const;
    // Asked before the window closes by its close button; false keeps it open. The after-tasks
    // quit does not ask.
    void setCloseGuard(std::function<bool()> guard) { m_closeGuard = std::move(guard); }

    // After-tasks count-down.
    void showTimingWnd();
    void excuteTaskRightNowByCode(int code) override;
    TimingAlertWnd *timingAlertWnd() const { return m_timingAlertWnd; }
    TimeSchedulerViewCtrl *timeScheduleViewCtrl() const { return m_timeScheduleViewCtrl; }

    bool eventFilter(QObject *watched, QEvent *e) override;

public slots:
    void toolBarItemChanged(QObject *item);
    void openSupportedSite();

signals:
    // Asked to quit by the after-tasks action (the delegate ends the application).
    void quitRequested();

private:
    void loadWindow();
    void windowDidLoad();
    void awakeFromNib();
    void setupMainToolBar();
    void layoutMainToolBarFrame();
    void setupHoverButtonUI();
    void setupTextFieldUI();
    void addObserverNotification();
    void layoutWindow();
    QVToolBarItem *toolBarItemWithIdentifier(const QString &label, const QString &slice, int tag);
    MainWindowPage *ensurePage(int tag);
    void showPageView(int tag);
    void addToConverterCtrl(const Notification &n);
    void addToTransferCtrl(const Notification &n);
    void addToDownloadingCtrl(const Notification &n);
    void onelineDownloadedFinish(const Notification &n);
    void downloadAll(const URLEventDecoder::Request &request);
    bool isOnlineOnScreen() const;
    QRectF startRectFromUserInfo(const Notification &n) const;

    QPointer<QMainWindow> m_window;
    QPointer<QVToolBar> m_mainToolBar;
    QPointer<BackgroundView> m_sideBar;
    QPointer<BackgroundView> m_titleBarView;
    QPointer<CustomBox> m_bodyBox;
    QPointer<CustomBox> m_infoBox;
    QPointer<QLabel> m_stateInfoLable;
    QPointer<MGHoverButton> m_btnTimeScheduler;
    QPointer<QLabel> m_lblTimeSchedulerMode;
    QPointer<QVUrlLabel> m_supportSites;
    QPointer<QLabel> m_logoImageview;
    QPointer<MGHoverButton> m_surveyBtn;
    QPointer<MGHoverButton> m_feedbackBtn;
    QPointer<WhiteBackgroundView> m_logoLineview;
    QPointer<AddToTaskAnimationWnd> m_addToTaskAnimationWnd;
    QPointer<MAAttachedWindow> m_timeScheduleWindow;
    QPointer<TimeSchedulerViewCtrl> m_timeScheduleViewCtrl;
    QPointer<TimingAlertWnd> m_timingAlertWnd;
    std::array<std::unique_ptr<MainWindowPage>, 5> m_pages;
    QPointer<QWidget> m_currentView;
    int m_currentTag = -1;
    int m_curButtonType = 0;
    bool m_isaWak = false;
    bool m_isURLLanch = false;
    URLRateLimiter m_plainAddressLimiter;
    std::function<bool()> m_closeGuard;
    bool m_quittingAfterTasks = false;
};
