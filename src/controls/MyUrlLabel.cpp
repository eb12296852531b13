#include "controls/MyUrlLabel.h"

#include "controls/LinkOpening.h"

#include <QMouseEvent>

MyUrlLabel::MyUrlLabel(QWidget *parent) : QLabel(parent)
{
    resetTrackingArea();
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
}

void MyUrlLabel::resetTrackingArea()
{
    setMouseTracking(true);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(pal);
}

void MyUrlLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && !m_url.isEmpty())
        LinkOpening::open(m_url);
}
