#include "controls/FullScreenWindows.h"

#include "controls/PopoverGeometry.h"

#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>

FullScreenWindows::FullScreenWindows(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_slide = new QPropertyAnimation(this, "geometry", this);
    m_slide->setDuration(200);
    connect(m_slide, &QPropertyAnimation::finished, this, [this] {
        if (m_slidingOut)
            hide();
    });
    Q_UNUSED(bIsFullScreen);
}

void FullScreenWindows::setWindowSlideState(bool hideIt)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    const QRect sg = screen ? screen->geometry() : QRect();
    const QSizeF screenSize = screen ? QSizeF(sg.size()) : QSizeF(0, 0);
    const QRectF up = PopoverGeometry::slidingFrame(screenSize, width(), height(), hideIt);
    m_target = PopoverGeometry::upToQt(up, screenSize.height()).toRect().translated(sg.topLeft());
    m_slidingOut = hideIt;
    m_slide->stop();
    if (!hideIt)
        show();
    m_slide->setStartValue(geometry());
    m_slide->setEndValue(m_target);
    m_slide->start();
}
