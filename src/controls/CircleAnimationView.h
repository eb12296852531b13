#pragma once

#include <QImage>
#include <QWidget>

class QVariantAnimation;

// A background picture with a circle picture turning over it, one eased turn in three seconds,
// while running. Stopping stops the turn and hides the circle (and the view when
// hidesWhenStopped). Pointer and wheel events stop here.
class CircleAnimationView : public QWidget
{
    Q_OBJECT
public:
    explicit CircleAnimationView(QWidget *parent = nullptr);

    QImage bgImage() const { return m_bgImage; }
    void setBgImage(const QImage &i) { m_bgImage = i; update(); }
    QImage circleImage() const { return m_circleImage; }
    void setCircleImage(const QImage &i) { m_circleImage = i; update(); }
    bool hidesWhenStopped() const { return m_hidesWhenStopped; }
    void setHidesWhenStopped(bool on) { m_hidesWhenStopped = on; }

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const;
    bool circleShown() const { return m_circleShown; }
    QVariantAnimation *rotation() const { return m_rotate; }
    double angle() const;  // radians now, counter-clockwise

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override {}
    void mouseReleaseEvent(QMouseEvent *) override {}
    void mouseMoveEvent(QMouseEvent *) override {}
    void wheelEvent(QWheelEvent *) override {}

private:
    QImage m_bgImage, m_circleImage;
    bool m_hidesWhenStopped = false;
    bool m_circleShown = false;
    QVariantAnimation *m_rotate = nullptr;
};
