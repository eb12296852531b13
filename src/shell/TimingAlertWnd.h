#pragma once

#include "shell/ShellDialog.h"

#include <QTimer>

class MGHoverButton;
class QLabel;
class TimingAlertWndDelegate;

// The count-down sheet before the after-tasks action (code 2 shut down, 3 sleep, 4 quit): it
// ticks once a second; when the time falls below zero, or the user presses the now button, the
// delegate gets excuteTaskRightNowByCode(); "Cancel", Escape and the close button tell it
// cancelTimingTask() only. It hangs from the main window as a window-modal sheet and is reused.
class TimingAlertWnd : public ShellDialog
{
    Q_OBJECT
public:
    static constexpr int TickMs = 1000;

    explicit TimingAlertWnd(QWidget *window);
    ~TimingAlertWnd() override;

    // Starts (or restarts) the count-down of duration seconds over the window.
    void countDownByCode(int code, int duration, QWidget *forWindow);
    int code() const { return m_nCode; }
    int remaining() const { return m_nDuration; }
    bool isCounting() const { return m_timer.isActive(); }
    TimingAlertWndDelegate *delegate() const { return m_delegate; }
    void setDelegate(TimingAlertWndDelegate *delegate) { m_delegate = delegate; }

    void clickNowButton();
    void clickCancelButton();
    // One tick of the timer: public so that tests drive the count-down without waiting.
    void timerFired();

    QLabel *timingLabel() const { return m_lblTiming; }
    MGHoverButton *nowButton() const { return m_btnCommitNow; }
    MGHoverButton *cancelButton() const { return m_btnCancel; }
    static QString nowTitleForCode(int code);
    // The label for a code and seconds left; empty for codes other than 2-4.
    static QString textForCode(int code, int seconds);

private:
    void finish(bool execute);

    MGHoverButton *m_btnCancel;
    MGHoverButton *m_btnCommitNow;
    QLabel *m_lblTiming;
    int m_nCode = 0;
    int m_nDuration = 0;
    TimingAlertWndDelegate *m_delegate = nullptr;
    QTimer m_timer;
};
