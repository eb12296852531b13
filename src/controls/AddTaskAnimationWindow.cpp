#include "controls/AddTaskAnimationWindow.h"

#include "controls/NSImageExtend.h"

#include <QEasingCurve>
#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>

namespace {

qreal lerp(qreal a, qreal b, qreal t)
{
    return a + (b - a) * t;
}

// The fraction of a stage at a moment, 0 before it and 1 after it.
qreal stage(qreal seconds, qreal begin, qreal length)
{
    return std::clamp((seconds - begin) / length, 0.0, 1.0);
}

QPointF cubic(const QPointF &p0, const QPointF &p1, const QPointF &p2, const QPointF &p3, qreal t)
{
    const qreal u = 1 - t;
    return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
}

QEasingCurve easeOut()
{
    // The usual ease-out timing: control points (0, 0) and (0.58, 1).
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

} // namespace

AddTaskAnimationWindow::AddTaskAnimationWindow(QWidget *host) : QWidget(host)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);
    if (host)
        setGeometry(host->rect());
    hide();
}

AddTaskAnimationWindow::~AddTaskAnimationWindow() = default;

AddTaskAnimationWindow::Frame AddTaskAnimationWindow::frameAt(const QRectF &from, const QRectF &to, qreal seconds)
{
    const qreal m = std::min(from.width(), from.height());
    Frame f;
    f.centre = from.center();
    if (seconds < 0.3) {
        // Stage 1: the thumbnail shrinks to nothing and fades where it is.
        const qreal t = stage(seconds, 0.0, 0.3);
        f.size = from.size() * (1 - t);
        f.opacity = 1 - t;
        return f;
    }
    f.round = true;
    if (seconds < 0.6) {
        // Stage 2: the round picture grows back to the shorter side and shows.
        const qreal t = stage(seconds, 0.3, 0.3);
        f.size = QSizeF(m, m) * t;
        f.opacity = t;
        return f;
    }
    // Stage 3: along an arc over the top of the window (30 below its top edge) to the target,
    // shrinking and fading to 0.3.
    const qreal t = stage(seconds, 0.6, 0.5);
    f.size = QSizeF(m, m) * (1 - t);
    f.opacity = lerp(1.0, 0.3, t);
    const QPointF s = from.center(), e = to.center();
    const QPointF control((s.x() + e.x()) / 2, 30.0);
    f.centre = cubic(s, control, control, e, easeOut().valueForProgress(t));
    return f;
}

void AddTaskAnimationWindow::animateImage(const QImage &image, const QRectF &from, const QRectF &to)
{
    Flight flight;
    flight.image = image;
    flight.from = from;
    flight.to = to;
    const int m = int(std::min(from.width(), from.height()));
    if (m > 0)
        flight.round = NSImageExtend::imageWithRoundSize(image, QSize(m, m), RoundBorder);
    QVariantAnimation *animation = new QVariantAnimation(this);
    flight.animation = animation;
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(DurationMs);
    connect(animation, &QVariantAnimation::valueChanged, this, [this] { update(); });
    connect(animation, &QVariantAnimation::finished, this, [this, animation] { animationDidStop(animation); });
    m_flights.append(flight);
    show();
    raise();
    animation->start();
}

void AddTaskAnimationWindow::animateImages(const QVariantList &entries)
{
    for (const QVariant &v : entries) {
        const QVariantMap entry = v.toMap();
        animateImage(entry.value(QStringLiteral("thumbnail")).value<QImage>(), entry.value(QStringLiteral("fromRect")).toRectF(),
                     entry.value(QStringLiteral("toRect")).toRectF());
    }
}

QVariantAnimation *AddTaskAnimationWindow::flightAnimation(int index) const
{
    return index >= 0 && index < m_flights.size() ? m_flights.at(index).animation : nullptr;
}

QImage AddTaskAnimationWindow::roundPicture(int index) const
{
    return index >= 0 && index < m_flights.size() ? m_flights.at(index).round : QImage();
}

AddTaskAnimationWindow::Frame AddTaskAnimationWindow::currentFrame(int index) const
{
    if (index < 0 || index >= m_flights.size())
        return {};
    const Flight &f = m_flights.at(index);
    return frameAt(f.from, f.to, f.animation->currentTime() / 1000.0);
}

void AddTaskAnimationWindow::animationDidStop(QVariantAnimation *animation)
{
    emit animationWindowDidStop();
    for (int i = int(m_flights.size()) - 1; i >= 0; --i)
        if (m_flights.at(i).animation == animation)
            m_flights.removeAt(i);
    animation->deleteLater();
    // Several thumbnails may fly at once: the window goes with the last.
    if (m_flights.isEmpty()) {
        hide();
        close();
    }
    update();
}

void AddTaskAnimationWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < m_flights.size(); ++i) {
        const Frame f = currentFrame(i);
        const QImage &picture = f.round ? m_flights.at(i).round : m_flights.at(i).image;
        if (picture.isNull() || f.size.isEmpty())
            continue;
        p.setOpacity(f.opacity);
        p.drawImage(f.rect(), picture);
    }
}
