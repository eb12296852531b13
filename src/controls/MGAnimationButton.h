#pragma once

#include "controls/MGHoverButton.h"

#include <QImage>

class QVariantAnimation;

// A hover button with a looping picture over it: type 1 spins imgCircle, type 2 makes
// imgBreathing fade in and out. By default the loop hides while the pointer is on the button.
class MGAnimationButton : public MGHoverButton
{
    Q_OBJECT
public:
    explicit MGAnimationButton(QWidget *parent = nullptr);
    ~MGAnimationButton() override;

    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return m_isAnimating; }
    void setAnimationType(int type) { m_type = type; }
    int animationType() const { return m_type; }
    void setImgCircle(const QImage &i) { m_imgCircle = i; }
    void setImgBreathing(const QImage &i) { m_imgBreathing = i; }
    void setDuration(double seconds) { m_duration = seconds; }
    double duration() const { return m_duration; }
    void setIsAnimationStopWhenMouseEvent(bool on) { m_stopOnMouse = on; }
    bool layerShown() const { return m_layerShown; }

    // The overlay at a time into the loop: rotation in radians and opacity.
    static double rotationAt(double t, double duration);
    static double breathingOpacityAt(double t, double duration);

protected:
    void paintEvent(QPaintEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    int m_type = 0;
    bool m_isAnimating = false;
    bool m_layerShown = false;
    QImage m_imgCircle, m_imgBreathing;
    bool m_stopOnMouse = true;
    double m_duration = 1.0;
    double m_time = 0;
    QVariantAnimation *m_loop = nullptr;
};
