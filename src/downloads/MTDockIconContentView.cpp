#include "downloads/MTDockIconContentView.h"

#include "platform/MainBundle.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

QPointer<MTDockIconContentView> MTDockIconContentView::s_shared;

MTDockIconContentView *MTDockIconContentView::shareDockIconContentView()
{
    if (!s_shared)
        s_shared = new MTDockIconContentView(defaultIconImage(), 0, 0);
    return s_shared;
}

MTDockIconContentView::MTDockIconContentView(const QImage &image, float progress, int num, QWidget *parent)
    : QWidget(parent)
    , m_progress(progress)
    , m_num(num)
    , m_logoImage(image)
{
    resize(128, 128);
}

MTDockIconContentView::~MTDockIconContentView() = default;

QImage MTDockIconContentView::defaultIconImage()
{
    for (const char *type : {"icns", "png", "svg"}) {
        const QString path = MainBundle::pathForResource(QStringLiteral("icon"), QString::fromLatin1(type));
        if (!path.isEmpty()) {
            QImage image(path);
            if (!image.isNull())
                return image;
        }
    }
    // No icon among the resources: a plain green tile with a download arrow.
    QImage image(128, 128, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(32, 192, 91));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(8, 8, 112, 112), 24, 24);
    p.setPen(QPen(Qt::white, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(64, 30), QPointF(64, 82));
    p.drawPolyline(QPolygonF({QPointF(42, 62), QPointF(64, 84), QPointF(86, 62)}));
    p.drawLine(QPointF(38, 98), QPointF(90, 98));
    return image;
}

void MTDockIconContentView::setProgress(float progress, int num)
{
    m_progress = progress;
    m_num = num;
    update();
}

void MTDockIconContentView::drawContent(QPainter &p, const QSizeF &size) const
{
    const qreal w = size.width();
    const qreal h = size.height();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_logoImage.isNull())
        p.drawImage(QRectF(0, 0, w, h), m_logoImage);
    if (m_num <= 0)
        return;
    // Widget coordinates grow downwards: y positions given from the bottom are mirrored.
    const QPointF centre(0.8 * w - 2, h - (0.2 * h + 2));
    const qreal radius = 0.2 * w;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgbF(0.9, 0.9, 0.9));
    p.drawEllipse(centre, radius, radius);

    const double progress = qBound(0.0, double(m_progress), 1.0);
    if (progress > 0) {
        QPainterPath pie;
        pie.moveTo(centre);
        // From twelve o'clock, clockwise by the progress (Qt angles are counter-clockwise).
        pie.arcTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 90, -360 * progress);
        pie.closeSubpath();
        p.setBrush(QColor::fromRgbF(0.59, 0.85, 0.45));
        p.drawPath(pie);
    }

    QFont font = QApplication::font();
    font.setBold(true);
    QString text = QString::number(m_num);
    qreal rectY = (0.4 * w - 30) / 2 + 2;
    font.setPixelSize(20);
    if (m_num >= 1000) {
        text = QStringLiteral("999+");
        font.setPixelSize(16);
        rectY += 4;
    }
    p.setFont(font);
    p.setPen(Qt::black);
    const QRectF numberRect(0.6 * w - 2, h - rectY - 28, 0.4 * w, 28);
    p.drawText(numberRect, Qt::AlignCenter, text);

    QPen ring(QColor::fromRgbF(0.9, 0.9, 0.9), 2);
    p.setPen(ring);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(0.6 * w - 3, h - 3 - (0.4 * w - 1), 0.4 * w, 0.4 * w - 1));
}

QImage MTDockIconContentView::renderImage(const QSize &size) const
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    drawContent(p, QSizeF(size));
    return image;
}

void MTDockIconContentView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    drawContent(p, QSizeF(size()));
}

void MTDockIconContentView::display()
{
    update();
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::setWindowIcon(QIcon(QPixmap::fromImage(renderImage(QSize(128, 128)))));
    if (m_num > 0)
        m_launcher.update(m_progress, true, m_num);
    else
        m_launcher.update(0, false, m_badgeLabel.toInt()); // the failed count, or nothing

}
