#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>

class BackgroundView;
class QLabel;
class QToolButton;

// The look every small window of the shell shares: no system frame, a white title strip with a
// grey bottom line in place of the title bar (title centred, a close button at the right), a
// white body, moved by dragging its background. Closing it any way but a button of its own
// (close button, Escape, the window manager) ends it with result 0.
class ShellDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int TitleStripHeight = 32;

    explicit ShellDialog(QWidget *parent = nullptr);
    void setTitleText(const QString &title);
    QString titleText() const;
    BackgroundView *titleView() const { return m_titleView; }
    QLabel *titleTextField() const { return m_titleTextField; }
    QToolButton *closeButton() const { return m_closeButton; }

    // Centres the window on parentRect (the caller's window frame in screen coordinates), or on
    // the primary screen's free area when parentRect is empty.
    void setFrameOriginWithParentRect(const QRect &parentRect);
    // The window's origin for a parent frame and a window size (no screen involved). Halves are
    // cut towards zero, as a window larger than its parent gives negative differences.
    static QPoint originForParentRect(const QRect &parentRect, const QSize &windowSize);

protected:
    void resizeEvent(QResizeEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    BackgroundView *m_titleView;
    QLabel *m_titleTextField;
    QToolButton *m_closeButton;
    QPoint m_dragOffset;
    bool m_dragging = false;
};
