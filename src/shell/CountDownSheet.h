#pragma once

#include "shell/ShellDialog.h"

#include <QTimer>

#include <functional>

class MGHoverButton;
class QLabel;

// The count-down shown before the after-tasks action: it ticks once a second, and when it runs
// out (or the user presses "Do it now") it calls back with the mode; "Cancel" and closing it
// call nothing. It hangs from the main window as a window-modal sheet.
class CountDownSheet : public ShellDialog
{
    Q_OBJECT
public:
    using Done = std::function<void(int mode)>;

    explicit CountDownSheet(QWidget *window);
    void countDownByCode(int mode, int seconds, Done done);
    int remaining() const { return m_remaining; }
    int mode() const { return m_mode; }
    bool isCounting() const { return m_timer.isActive(); }
    void cancel();
    void runNow();
    static QString textForMode(int mode, int seconds);
    // Milliseconds of one tick (tests shorten it); 1000 by default.
    static void setTickForTesting(int ms);

private:
    void tick();
    void finish(bool run);

    QLabel *m_text;
    MGHoverButton *m_cancel;
    MGHoverButton *m_now;
    QTimer m_timer;
    int m_mode = 0;
    int m_remaining = 0;
    Done m_done;
};
