#pragma once

#include <QWidget>

#include <functional>

// The after-tasks choice of the scheduler button's pop-over: do nothing, shut down, sleep or
// quit once all tasks are done. A choice is stored in "TimeSchedulerMode" and reported.
class AfterTasksView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int RowHeight = 36;
    explicit AfterTasksView(std::function<void()> changed, QWidget *parent = nullptr);
    // Rows: modes 1 to 4.
    void choose(int mode);
    int hoverRow() const { return m_hover; }
    QSize sizeHint() const override;
    static QString titleForMode(int mode);

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void leaveEvent(QEvent *) override;

private:
    int rowAt(int y) const;
    std::function<void()> m_changed;
    int m_hover = -1;
};
