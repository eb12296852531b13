#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QVariantList>
#include <QWidget>

class QVariantAnimation;

// A thumbnail flying in three stages over 1.1 s: it shrinks away where it starts, comes back as
// a round picture as wide as the start's shorter side, then shrinks and fades along an arc to
// the target. A transparent overlay over its host that takes no input; when its flights have
// landed it closes and deletes itself.
class AddTaskAnimationWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int DurationMs = 1100;
    static constexpr int RoundBorder = 5;

    // Where the picture is at a moment of the flight, in the host's coordinates.
    struct Frame
    {
        QPointF centre;
        QSizeF size;
        qreal opacity = 1;
        bool round = false;  // the round picture is shown (from 0.3 s on)
        QRectF rect() const { return QRectF(centre - QPointF(size.width() / 2, size.height() / 2), size); }
    };

    explicit AddTaskAnimationWindow(QWidget *host);
    ~AddTaskAnimationWindow() override;

    // Starts a flight (rectangles in the host's coordinates).
    void animateImage(const QImage &image, const QRectF &from, const QRectF &to);
    // Each entry: "thumbnail" (QImage), "fromRect" and "toRect" (QRectF; a missing one is the
    // zero rectangle).
    void animateImages(const QVariantList &entries);

    int flightCount() const { return int(m_flights.size()); }
    QVariantAnimation *flightAnimation(int index) const;
    Frame currentFrame(int index) const;
    QImage roundPicture(int index) const;
    static Frame frameAt(const QRectF &from, const QRectF &to, qreal seconds);

signals:
    void animationWindowDidStop();

protected:
    void paintEvent(QPaintEvent *) override;

private:
    struct Flight
    {
        QImage image, round;
        QRectF from, to;
        QVariantAnimation *animation = nullptr;
    };
    void animationDidStop(QVariantAnimation *animation);

    QList<Flight> m_flights;
};
