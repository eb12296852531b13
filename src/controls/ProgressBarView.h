#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

// A thin seek bar the user can drag. While dragging it announces the value with
// "PlayerProgressBarChangedNotification" at most every 0.08 seconds.
class ProgressBarView : public QWidget
{
    Q_OBJECT
public:
    explicit ProgressBarView(QWidget *parent = nullptr);

    QImage bgImage() const { return m_bgImage; }
    void setBgImage(const QImage &i) { m_bgImage = i; update(); }
    QImage progressImage() const { return m_progressImage; }
    void setProgressImage(const QImage &i) { m_progressImage = i; update(); }
    bool isEnable() const { return m_isEnable; }
    void setIsEnable(bool on) { m_isEnable = on; }
    double minValue() const { return m_minValue; }
    void setMinValue(double v) { m_minValue = v; update(); }
    double maxValue() const { return m_maxValue; }
    void setMaxValue(double v) { m_maxValue = v; update(); }
    double doubleValue() const { return m_doubleValue; }
    void setDoubleValue(double v) { m_doubleValue = v; update(); }

    // Seconds on a steady clock; tests give their own.
    void setClock(const std::function<double()> &clock);
    QRectF trackRect() const;     // Qt coordinates
    QRectF progressRect() const;  // Qt coordinates

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    void dragTo(qreal x);

    QImage m_bgImage, m_progressImage;
    bool m_isEnable = false;
    bool m_mouseDown = false;
    double m_minValue = 0, m_maxValue = 100, m_doubleValue = 0;
    std::function<double()> m_clock;
    double m_lastAnnouncement = 0;
};
