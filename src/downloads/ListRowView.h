#pragma once

#include <QWidget>

#include <functional>

// The face of a list row: white, a light green fill when selected, a thin line at the bottom.
// The running and the finished rows lay their controls out on it when it changes size.
class ListRowView : public QWidget
{
public:
    using QWidget::QWidget;

    bool isSelected() const { return m_selected; }
    // Repaints when the state changes.
    void setSelected(bool selected);
    // Called after every resize.
    void setOnResize(std::function<void()> onResize) { m_onResize = std::move(onResize); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool m_selected = false;
    std::function<void()> m_onResize;
};
