#include "controls/FrameAnimator.h"

#include "controls/ControlSlices.h"
#include "controls/PopoverGeometry.h"

#include <QPainter>

#include <QVariantAnimation>
#include <QWidget>

FrameAnimator::FrameAnimator(QWidget *view, const QString &key) : QObject(view), m_view(view), m_key(key)
{
    m_animation = new QVariantAnimation(this);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this] {
        if (m_view)
            m_view->update();
    });
    connect(m_animation, &QVariantAnimation::finished, this, [this] {
        m_showing = false;
        if (m_view)
            m_view->update();
        emit stopped(true);
    });
}

FrameAnimator::~FrameAnimator() = default;

QList<QImage> FrameAnimator::loadFrames(const QStringList &names, const std::function<QImage(const QString &)> &lookup)
{
    QList<QImage> out;
    out.reserve(names.size());
    for (const QString &name : names) {
        const QImage img = lookup ? lookup(name) : QImage();
        if (!img.isNull())
            out.append(img);
    }
    return out;
}

void FrameAnimator::setFrames(const QList<QImage> &frames)
{
    m_frames = frames;
    if (m_view)
        m_view->update();
}

void FrameAnimator::start(double cycleSeconds, int loops)
{
    if (isAnimating())
        return;
    m_cycle = cycleSeconds;
    m_animation->setDuration(std::max(1, int(cycleSeconds * 1000)));
    m_animation->setLoopCount(loops < 0 ? -1 : std::max(1, loops));
    m_showing = true;
    m_animation->start();
    emit started();
    if (m_view)
        m_view->update();
}

void FrameAnimator::stop()
{
    const bool was = m_showing || isAnimating();
    m_animation->stop();
    m_showing = false;
    if (m_view)
        m_view->update();
    if (was)
        emit stopped(false);
}

bool FrameAnimator::isAnimating() const
{
    return m_animation->state() == QAbstractAnimation::Running;
}

int FrameAnimator::loopCount() const
{
    return m_animation->loopCount();
}

int FrameAnimator::currentIndex() const
{
    if (!m_showing)
        return -1;
    return PopoverGeometry::frameIndexAt(m_animation->currentLoopTime() / 1000.0, m_cycle, int(m_frames.size()));
}

QImage FrameAnimator::currentFrame() const
{
    const int i = currentIndex();
    return i >= 0 ? m_frames.at(i) : QImage();
}

bool FrameAnimator::drawCurrentFrame(QPainter *p, const QRectF &bounds) const
{
    const QImage frame = currentFrame();
    if (frame.isNull())
        return false;
    QSizeF s = ControlSlices::pointSize(frame);
    s.scale(bounds.size(), Qt::KeepAspectRatio);
    p->save();
    p->setRenderHint(QPainter::SmoothPixmapTransform);
    p->drawImage(QRectF(bounds.center() - QPointF(s.width() / 2, s.height() / 2), s), frame);
    p->restore();
    return true;
}
