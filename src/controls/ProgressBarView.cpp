#include "controls/ProgressBarView.h"

#include "controls/PopoverGeometry.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

using namespace PopoverGeometry;

namespace {
double steadySeconds()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.nsecsElapsed() / 1e9;
}
} // namespace

ProgressBarView::ProgressBarView(QWidget *parent) : QWidget(parent)
{
    setClock(steadySeconds);
}

void ProgressBarView::setClock(const std::function<double()> &clock)
{
    m_clock = clock;
    m_lastAnnouncement = m_clock();
}

QRectF ProgressBarView::trackRect() const
{
    return upToQt(seekTrackRect(QRectF(0, 0, width(), height())), height());
}

QRectF ProgressBarView::progressRect() const
{
    return upToQt(seekProgressRect(QRectF(0, 0, width(), height()), m_doubleValue, m_maxValue), height());
}

void ProgressBarView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    auto strip = [&p](const QRectF &r, const QImage &img, const QColor &fallback) {
        if (!img.isNull()) {
            p.drawImage(r, img);
            return;
        }
        QPainterPath path;
        path.addRoundedRect(r, 2, 2);
        p.fillPath(path, fallback);
    };
    strip(trackRect(), m_bgImage, QColor::fromRgbF(0.87451f, 0.87451f, 0.87451f));
    strip(progressRect(), m_progressImage, QColor::fromRgbF(0.407843f, 0.407843f, 0.407843f));
}

void ProgressBarView::mousePressEvent(QMouseEvent *e)
{
    if (!rect().contains(e->position().toPoint()))
        return;
    m_mouseDown = true;
    dragTo(e->position().x());
}

void ProgressBarView::mouseMoveEvent(QMouseEvent *e)
{
    dragTo(e->position().x());
}

void ProgressBarView::mouseReleaseEvent(QMouseEvent *)
{
    m_mouseDown = false;
}

void ProgressBarView::dragTo(qreal x)
{
    if (!m_mouseDown || !m_isEnable)
        return;
    m_doubleValue = seekValueAt(x, width(), m_minValue, m_maxValue);
    const double now = m_clock();
    if (seekShouldAnnounce(now, m_lastAnnouncement)) {
        NotificationCenter::defaultCenter().post(NotificationNames::PlayerProgressBarChangedNotification,
                                                 QVariant::fromValue<QObject *>(this),
                                                 {{QStringLiteral("PlayerProgressBarValue"), m_doubleValue}});
        m_lastAnnouncement = now;
    }
    repaint();
}
