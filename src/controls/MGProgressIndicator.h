#pragma once

#include <QRectF>
#include <QStringList>
#include <QWidget>

class FrameAnimator;

// A flat progress bar: a grey track and a green fill inside the fill margins. While waiting it
// plays a frame animation of theme pictures in place of the bar.
class MGProgressIndicator : public QWidget
{
    Q_OBJECT
public:
    explicit MGProgressIndicator(QWidget *parent = nullptr);
    ~MGProgressIndicator() override;

    double minValue() const { return m_minValue; }
    void setMinValue(double v);
    double maxValue() const { return m_maxValue; }
    void setMaxValue(double v);
    double doubleValue() const { return m_doubleValue; }
    void setDoubleValue(double v);
    // Left inset as x, bottom inset as y, right inset as width, top inset as height.
    QRectF fillMargins() const { return m_fillMargins; }
    void setFillMargins(const QRectF &m);
    QString backgroundName() const { return m_backgroundName; }
    void setBackgroundName(const QString &n) { m_backgroundName = n; update(); }
    QString fillName() const { return m_fillName; }
    void setFillName(const QString &n) { m_fillName = n; update(); }
    bool showProgressText() const { return m_showProgressText; }
    void setShowProgressText(bool on) { m_showProgressText = on; update(); }
    bool isIndeterminate() const { return m_indeterminate; }
    void setIndeterminate(bool on) { m_indeterminate = on; }

    // Names of slices of the sheet "Animation4"; missing ones are skipped.
    void setAnimationImages(const QStringList &names);
    void startAnimation();
    void stopAnimation();
    bool isAnimating() const;
    FrameAnimator *animator() const { return m_animator; }

    // The fill rectangle now (Qt coordinates); empty when nothing is filled.
    QRectF fillRect() const;

    static const QStringList &defaultFrameNames();

protected:
    void paintEvent(QPaintEvent *) override;
    void showEvent(QShowEvent *e) override;

private:
    double m_minValue = 0.0;
    double m_maxValue = 100.0;
    double m_doubleValue = 0.0;
    QRectF m_fillMargins;
    QString m_backgroundName, m_fillName;
    bool m_showProgressText = false;
    bool m_indeterminate = false;
    FrameAnimator *m_animator = nullptr;
};
