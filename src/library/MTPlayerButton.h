#pragma once

#include <QImage>
#include <QWidget>

class MTPlayerButton;

class MTPlayerButtonDelegate
{
public:
    virtual ~MTPlayerButtonDelegate() = default;
    virtual void mtPlayerBtnStartLongPress(MTPlayerButton *button) = 0;
    virtual void mtPlayerBtnStopLongPress(MTPlayerButton *button) = 0;
};

class QTimer;

// The previous and next buttons of the player. They act only through their delegate: a press
// held for 0.2 s starts a long press, and every release ends it, so a short click reaches the
// delegate as a stop without a start.
class MTPlayerButton : public QWidget
{
    Q_OBJECT
public:
    static constexpr int LongPressMs = 200;

    explicit MTPlayerButton(QWidget *parent = nullptr);

    void setDelegate(MTPlayerButtonDelegate *delegate) { m_delegate = delegate; }
    MTPlayerButtonDelegate *delegate() const { return m_delegate; }
    void setMtImage(const QImage &image);
    QImage mtImage() const { return m_mtImage; }
    void setMtAlternateImage(const QImage &image) { m_mtAlternateImage = image; }
    QImage mtAlternateImage() const { return m_mtAlternateImage; }
    bool isMTPlayerLongPress() const { return m_isMTPlayerLongPress; }
    // Hover, exit and move tracking; without it the button hears only presses and releases.
    void addTrackingArea();
    QImage shownImage() const { return m_shown; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void doLongPress();
    void endPress(bool onlyWhilePressed);

    MTPlayerButtonDelegate *m_delegate = nullptr;
    QImage m_mtImage;
    QImage m_mtAlternateImage;
    QImage m_shown;
    bool m_isMTPlayerLongPress = false;
    bool m_tracking = false;
    QTimer *m_mtPlayerBtnTimer = nullptr;
};
