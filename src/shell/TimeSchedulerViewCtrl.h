#pragma once

#include <QPointer>
#include <QWidget>

#include <array>

class MGHoverButton;
class MenuItemView;
class QLabel;
class TimeSchedulerViewDelegate;

// The pop-over under the main window's scheduler button: what happens when all tasks are
// complete (do nothing, shut down, sleep, quit; "TimeSchedulerMode" 1-4 and its title in
// "TimeSchedulerModeLable"), and the "Time Scheduler" button that opens the scheduler options.
class TimeSchedulerViewCtrl : public QWidget
{
    Q_OBJECT
public:
    static constexpr int ItemHeight = 34;

    explicit TimeSchedulerViewCtrl(QWidget *parent = nullptr);
    ~TimeSchedulerViewCtrl() override;

    TimeSchedulerViewDelegate *delegate() const { return m_delegate; }
    void setDelegate(TimeSchedulerViewDelegate *delegate) { m_delegate = delegate; }

    // Marks the item of the stored mode ("Do nothing" when none is stored).
    void setDefaultSelectedMenuItem();
    // The options window, through the shell's window registry ("TimeScheduler"), over the
    // owner window.
    void timeSchedulerOptionClick();
    void setOptionsOwner(QWidget *window) { m_owner = window; }
    // The title of an item: tags 1-4.
    static QString titleForMode(int mode);

    MenuItemView *itemView(int tag) const { return tag >= 1 && tag <= 4 ? m_items[tag - 1] : nullptr; }
    MGHoverButton *timeScheduleButton() const { return m_btnTimeSchedule; }
    QLabel *taskCompleteLabel() const { return m_lblTaskComplete; }
    QSize sizeHint() const override;

public slots:
    void menuItemClick(QObject *sender);

signals:
    // Before the modal options window runs (the pop-over's owner hides it).
    void optionsWillOpen();

private:
    QLabel *m_lblTaskComplete;
    MGHoverButton *m_btnTimeSchedule;
    std::array<MenuItemView *, 4> m_items{};
    TimeSchedulerViewDelegate *m_delegate = nullptr;
    QPointer<QWidget> m_owner;
};
