#pragma once

#include <QWidget>

// A one-line progress bar: grey track, green fill of width × progress.
class ThinProgressView : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    float progress() const { return m_progress; }
    // Values above 1 are held at 0.99.
    void setProgress(float progress);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    float m_progress = 0;
};
