#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QVariantAnimation;

// A frameless window that appears with a bounce: a picture of its content grows from nothing
// past full size, shrinks back below it and settles; only then is the real content shown and
// interactive. A new popup() or hiding the window cuts a running bounce short cleanly.
class ATPopupWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ATPopupWindow(QWidget *parent = nullptr);
    ~ATPopupWindow() override;

    // The real content; the owner puts its controls in it.
    QWidget *contentView() const { return m_content; }
    void popup();

    bool isGrowing() const { return m_growing; }
    bool isShrinking() const { return m_shrinking; }
    bool isBouncing() const { return m_animating; }
    double currentScale() const { return m_scale; }
    QRect savedFrame() const { return m_originalWindowFrame; }
    // The running phase's animation (tests move it along with setCurrentTime()).
    QVariantAnimation *animation() const { return m_animation; }
    // Where the picture is drawn at the current scale, in window coordinates.
    QRectF snapshotRect() const;

signals:
    void bounceFinished();

protected:
    void paintEvent(QPaintEvent *) override;
    void hideEvent(QHideEvent *e) override;

private:
    void animateToScale(double scale, double seconds);
    void animationDidStop(bool finished);
    void cleanupAndRestoreViews();

    QWidget *m_content = nullptr;
    QRect m_originalWindowFrame;
    QRectF m_originalLayerFrame;  // y-up, inside the grown window
    QPointer<QWidget> m_oldFirstResponder;
    QImage m_snapshot;
    bool m_animating = false;
    bool m_growing = false;
    bool m_shrinking = false;
    bool m_pretendKeyForDrawing = false;
    double m_scale = 1.0;
    QVariantAnimation *m_animation = nullptr;
};
