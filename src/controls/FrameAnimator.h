#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QPainter;
class QRectF;
class QVariantAnimation;
class QWidget;

// Steps a view through a list of frame pictures: the shared engine of the waiting bar and the
// frame-sequence animation views. While it runs the view draws currentFrame() in place of its
// own look; it repaints the view on every frame change.
class FrameAnimator : public QObject
{
    Q_OBJECT
public:
    FrameAnimator(QWidget *view, const QString &key);
    ~FrameAnimator() override;

    // The pictures of the names, in order, skipping names without a picture.
    static QList<QImage> loadFrames(const QStringList &names, const std::function<QImage(const QString &)> &lookup);

    void setFrames(const QList<QImage> &frames);
    QList<QImage> frames() const { return m_frames; }
    QString key() const { return m_key; }

    // cycle in seconds; loops < 0 runs until stopped. Does nothing while running.
    void start(double cycleSeconds, int loops);
    void stop();
    bool isAnimating() const;
    // The view shows the animation (from start until stop or the end of the last loop).
    bool isShowing() const { return m_showing; }
    int currentIndex() const;
    QImage currentFrame() const;
    // Draws the current frame at its own proportions, centred in the bounds; false when none.
    bool drawCurrentFrame(QPainter *p, const QRectF &bounds) const;
    double cycleSeconds() const { return m_cycle; }
    int loopCount() const;
    QVariantAnimation *animation() const { return m_animation; }

signals:
    void started();
    void stopped(bool finished);

private:
    QPointer<QWidget> m_view;
    QString m_key;
    QList<QImage> m_frames;
    QVariantAnimation *m_animation = nullptr;
    double m_cycle = 0;
    bool m_showing = false;
};
