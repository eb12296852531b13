#pragma once

#include <QPointF>
#include <QWidget>

class QPropertyAnimation;

// A frameless window above everything that slides into place near the top-right corner of the
// main screen and slides away again.
class FullScreenWindows : public QWidget
{
    Q_OBJECT
public:
    explicit FullScreenWindows(QWidget *parent = nullptr);

    // true slides the window up by 100 points and hides it; false slides it into place.
    // (Named apart from QWidget::setWindowState, which means something else.)
    void setWindowSlideState(bool hide);
    QPointF initialLocation() const { return m_initialLocation; }
    void setInitialLocation(const QPointF &p) { m_initialLocation = p; }
    QPropertyAnimation *slide() const { return m_slide; }
    // The frame the last call aimed at, in Qt screen coordinates.
    QRect targetFrame() const { return m_target; }

private:
    QPointF m_initialLocation;
    bool bIsFullScreen = false;
    bool m_slidingOut = false;
    QPropertyAnimation *m_slide = nullptr;
    QRect m_target;
};
