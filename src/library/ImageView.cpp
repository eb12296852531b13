#include "library/ImageView.h"

#include "controls/ControlSlices.h"

#include <QPaintEvent>
#include <QPainter>

ImageView::ImageView(QWidget *parent)
    : QWidget(parent)
{
}

QRectF ImageView::fittedRect(const QSizeF &img, const QRectF &bounds, bool scale)
{
    if (scale || img.isEmpty() || bounds.width() <= 0 || bounds.height() <= 0)
        return bounds;
    const qreal rw = img.width() / bounds.width();
    const qreal rh = img.height() / bounds.height();
    if (rw > rh && rw > 1) {
        const qreal h = img.height() / rw;
        return QRectF(bounds.x(), (bounds.height() - h) / 2, bounds.width(), h);
    }
    if (rw <= rh && rh > 1) {
        const qreal w = img.width() / rh;
        return QRectF((bounds.width() - w) / 2, bounds.y(), w, bounds.height());
    }
    return QRectF((bounds.width() - img.width()) / 2, (bounds.height() - img.height()) / 2, img.width(), img.height());
}

void ImageView::updateImageDrawRect()
{
    m_imageDrawRect = fittedRect(m_image.isNull() ? QSizeF() : ControlSlices::pointSize(m_image), QRectF(rect()),
                                 m_bScaleImage);
}

void ImageView::setImage(const QImage &image)
{
    m_image = image;
    updateImageDrawRect();
    update();
}

void ImageView::setBgColor(const std::optional<QColor> &color)
{
    m_bgColor = color;
    update();
}

void ImageView::setScaleImage(bool scale)
{
    m_bScaleImage = scale;
    updateImageDrawRect();
    update();
}

QImage ImageView::viewImage()
{
    // Into a clear picture, without the window's background: only what the view draws.
    QImage out(size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    render(&out, QPoint(), QRegion(), QWidget::DrawChildren);
    return out;
}

void ImageView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateImageDrawRect();
}

void ImageView::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    if (m_bgColor)
        p.fillRect(rect(), *m_bgColor);
    if (!m_image.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        drawPicture(p, event->rect());
    }
}

void ImageView::drawPicture(QPainter &p, const QRectF &)
{
    p.drawImage(m_imageDrawRect, m_image);
}
