#include "controls/MTImageView.h"

#include "controls/ControlGeometry.h"
#include "controls/ControlSlices.h"
#include "controls/TableGeometry.h"
#include "controls/slices/SlicesManager.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

MTImageView::MTImageView(QWidget *parent) : QWidget(parent) {}

void MTImageView::addTrackingArea()
{
    if (m_tracking)
        return;
    m_tracking = true;
    setMouseTracking(true);
}

QImage MTImageView::roundedThumbnail(const QImage &image, qreal dpr)
{
    const QSizeF size = TableGeometry::ThumbnailSize;
    QImage out((size * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(dpr);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(QPointF(0, 0), size), 6, 6);
    p.setClipPath(clip);
    p.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    if (!image.isNull() && image.width() > 0 && image.height() > 0) {
        // Fill the frame, cutting the longer side in the middle.
        const qreal target = size.width() / size.height();
        QRectF source(image.rect());
        if (source.width() / source.height() > target)
            source = QRectF((source.width() - source.height() * target) / 2, 0, source.height() * target, source.height());
        else
            source = QRectF(0, (source.height() - source.width() / target) / 2, source.width(), source.width() / target);
        p.drawImage(QRectF(QPointF(0, 0), size), image, source);
    }
    return out;
}

void MTImageView::setImage(const QImage &image)
{
    m_source = image;
    m_drawImage = image.isNull() ? QImage() : roundedThumbnail(image, std::max<qreal>(1, SlicesManager::screenDevicePixelRatio()));
    update();
}

void MTImageView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const qreal H = height();
    const qreal dpr = p.device()->devicePixelRatioF();
    if (!m_source.isNull() && m_drawImage.devicePixelRatio() != dpr)
        m_drawImage = roundedThumbnail(m_source, dpr);
    if (!m_drawImage.isNull())
        p.drawImage(ControlGeometry::toQt(QRectF(QPointF(0, 0), ControlSlices::pointSize(m_drawImage)), H), m_drawImage);
    if (m_isChildrenNode) {
        const QImage mark = SlicesManager::defaultManager().sliceNamed(QStringLiteral("mainform-134"), QStringLiteral("mainform"),
                                                                       p.device()->devicePixelRatioF());
        if (!mark.isNull())
            p.drawImage(ControlGeometry::toQt(TableGeometry::childMarkRect(QSizeF(size()), ControlSlices::pointSize(mark)), H),
                        mark);
    }
}

void MTImageView::enterEvent(QEnterEvent *event)
{
    if (m_tracking)
        emit mtImageViewMouseEntered();
    QWidget::enterEvent(event);
}

void MTImageView::leaveEvent(QEvent *event)
{
    if (m_tracking)
        emit mtImageViewMouseExited();
    QWidget::leaveEvent(event);
}

void MTImageView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_tracking) {
        if (rect().contains(event->position().toPoint()))
            emit mtImageViewMouseEntered();
        else
            emit mtImageViewMouseExited();
    }
    QWidget::mouseMoveEvent(event);
}
