#pragma once

#include <QRectF>
#include <QStringList>
#include <QWidget>

class FrameAnimator;

// A waiting sign that loops through theme frames, two cycles a second, until stopped.
class MGAnimationView : public QWidget
{
    Q_OBJECT
public:
    explicit MGAnimationView(QWidget *parent = nullptr);

    // Names of slices of the sheet "Animation4"; missing ones are skipped.
    void setAnimationImages(const QStringList &names);
    void startAnimation();
    void stopAnimation();
    bool isAnimating() const;
    QRectF fillMargins() const { return m_fillMargins; }
    void setFillMargins(const QRectF &m);
    FrameAnimator *animator() const { return m_animator; }

    static const QStringList &defaultFrameNames();

protected:
    void paintEvent(QPaintEvent *) override;
    void showEvent(QShowEvent *e) override;

private:
    QRectF m_fillMargins;
    FrameAnimator *m_animator = nullptr;
};
