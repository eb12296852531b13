#include "controls/MTThreePartButton.h"

#include "controls/AppImages.h"
#include "controls/PopoverGeometry.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

MTThreePartButton::MTThreePartButton(QWidget *parent) : QAbstractButton(parent)
{
    m_textFont.setPixelSize(13);
}

void MTThreePartButton::setTitle(const QString &title)
{
    setText(title);
    update();
}

QImage MTThreePartButton::compose(const QImage &head, const QImage &body, const QImage &tail) const
{
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QImage img(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(ratio);
    img.fill(Qt::transparent);
    QPainter p(&img);
    AppImages::drawThreePart(&p, QRectF(0, 0, width(), height()), head, body, tail, m_bVertical);
    return img;
}

void MTThreePartButton::setHeadImg(const QImage &head, const QImage &body, const QImage &tail)
{
    m_normalImg = compose(head, body, tail);
    update();
}

void MTThreePartButton::setAlterHead(const QImage &head, const QImage &body, const QImage &tail)
{
    m_alternateImg = compose(head, body, tail);
    update();
}

void MTThreePartButton::scaleToFitTitle(const QString &title, int orientation, int gap)
{
    if (text().isEmpty())
        return;
    const qreal w = QFontMetricsF(m_textFont).horizontalAdvance(title);
    const QRectF f = PopoverGeometry::threePartFitFrame(QRectF(geometry()), w, orientation, gap);
    setGeometry(f.toRect());
    setTitle(title);
}

void MTThreePartButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QImage &img = isDown() && !m_alternateImg.isNull() ? m_alternateImg : m_normalImg;
    if (!img.isNull())
        p.drawImage(QPointF(0, 0), img);
    if (text().isEmpty())
        return;
    p.setFont(m_textFont);
    const QRectF r(rect());
    const QRectF textRect = QFontMetricsF(m_textFont).boundingRect(r, m_textAlignment | Qt::AlignVCenter, text());
    if (m_backColor.alpha() > 0)
        p.fillRect(textRect, m_backColor);
    p.setPen(isEnabled() ? m_foreColor : QColor(m_foreColor.red(), m_foreColor.green(), m_foreColor.blue(), 128));
    p.drawText(r, int(m_textAlignment | Qt::AlignVCenter), text());
}
