#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QWidget>

class QVariantAnimation;

// Pictures flying from where the user acted to the tool-bar item of the receiving page. It is a
// transparent overlay over the host window that takes no input; each flight lasts 0.8 s along
// a curve, eased in and out, fading to 0.2 and shrinking to 0.6 of the target's size. The
// overlay hides when the last flight has landed.
class AddToTaskAnimationWnd : public QWidget
{
    Q_OBJECT
public:
    explicit AddToTaskAnimationWnd(QWidget *host);
    ~AddToTaskAnimationWnd() override;

    // Rectangles in the host's coordinates; a null image flies a green pill of the start's size.
    void animateImage(const QImage &image, const QRectF &from, const QRectF &to);
    int flightCount() const { return int(m_layers.size()); }
    // The flight's animation (its time runs 0 to 800 ms).
    QVariantAnimation *flightAnimation(int index) const;
    // The picture's rectangle and opacity of a flight now, in the host's coordinates.
    QRectF flightRect(int index) const;
    qreal flightOpacity(int index) const;

signals:
    void animationWindowDidStop();

protected:
    void paintEvent(QPaintEvent *) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    struct Layer
    {
        QImage image;
        QRectF from, to;  // y-up, in the overlay
        QVariantAnimation *animation = nullptr;
    };
    void animationDidStop(QVariantAnimation *group);
    static QImage pill(const QSizeF &size);

    QList<Layer> m_layers;
};

// The download page's twin of the flying window.
class AddDownloadTaskAnimationWnd : public AddToTaskAnimationWnd
{
public:
    using AddToTaskAnimationWnd::AddToTaskAnimationWnd;
};
