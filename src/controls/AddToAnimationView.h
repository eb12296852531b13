#pragma once

#include <QRectF>
#include <QStringList>
#include <QWidget>

class FrameAnimator;

// Plays a sequence of frames once in one second, then returns to its own (empty) look.
class AddToAnimationView : public QWidget
{
    Q_OBJECT
public:
    explicit AddToAnimationView(QWidget *parent = nullptr);

    void setAnimationImages(const QStringList &names, const QString &sheet);
    void startAnimation();
    void stopAnimation();
    bool isAnimating() const;
    QRectF fillMargins() const { return m_fillMargins; }
    void setFillMargins(const QRectF &m);
    FrameAnimator *animator() const { return m_animator; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QRectF m_fillMargins;
    FrameAnimator *m_animator = nullptr;
};
