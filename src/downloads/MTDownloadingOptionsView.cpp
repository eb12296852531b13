#include "downloads/MTDownloadingOptionsView.h"

#include "controls/AppImages.h"

#include <QPaintEvent>
#include <QPainter>

MTDownloadingOptionsView::MTDownloadingOptionsView(QWidget *parent)
    : QWidget(parent)
    , m_left(AppImages::named(QStringLiteral("DownloadingBottomLeft")))
    , m_right(AppImages::named(QStringLiteral("DownloadingBottomRight")))
    , m_middle(AppImages::named(QStringLiteral("DownloadingBottomMiddle")))
{
    setAttribute(Qt::WA_OpaquePaintEvent, !m_middle.isNull());
}

void MTDownloadingOptionsView::paintEvent(QPaintEvent *event)
{
    if (m_middle.isNull())
        return;
    QPainter p(this);
    p.save();
    // The pattern's phase is the bar's place in its window.
    const QPoint origin = mapTo(window(), QPoint(0, 0));
    QBrush pattern(m_middle);
    pattern.setTransform(QTransform::fromTranslate(-origin.x() % qMax(1, m_middle.width()), 0));
    p.fillRect(event->rect(), pattern);
    p.restore();
}
