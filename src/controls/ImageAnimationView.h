#pragma once

#include <QImage>
#include <QList>
#include <QWidget>

class FrameAnimator;

// Loops through pictures the owner gives (a cover slide show): 1.5 s a cycle and 10000 cycles
// unless told otherwise. The owner hears the start and the stop through the signals.
class ImageAnimationView : public QWidget
{
    Q_OBJECT
public:
    explicit ImageAnimationView(QWidget *parent = nullptr);

    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return m_animating; }
    QList<QImage> values() const { return m_values; }
    void setValues(const QList<QImage> &values) { m_values = values; }
    double duration() const { return m_duration; }
    void setDuration(double d) { m_duration = d; }
    float repeatCount() const { return m_repeatCount; }
    void setRepeatCount(float r) { m_repeatCount = r; }
    FrameAnimator *animator() const { return m_animator; }
    bool hasOwnLayer() const { return m_animator != nullptr; }

signals:
    void animationDidStart();
    void animationDidStop(bool finished);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QList<QImage> m_values;
    double m_duration = 0;
    float m_repeatCount = 0;
    FrameAnimator *m_animator = nullptr;
    bool m_animating = false;
};
