#include "controls/MGPopupButton.h"

#include "controls/ControlGeometry.h"
#include "controls/ControlSlices.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

namespace {
// Cuts a slice into left cap, middle and right part; each part is a copy.
QList<QImage> cropThreeParts(const QImage &img, qreal leftCap, qreal centre)
{
    if (img.isNull())
        return {};
    const qreal ratio = img.devicePixelRatio();
    const int l = qRound(leftCap * ratio), c = qRound(centre * ratio);
    if (l + c >= img.width())
        return {};
    QList<QImage> parts = {img.copy(0, 0, l, img.height()), img.copy(l, 0, c, img.height()),
                           img.copy(l + c, 0, img.width() - l - c, img.height())};
    for (QImage &part : parts)
        part.setDevicePixelRatio(ratio);
    return parts;
}
} // namespace

MGPopupButton::MGPopupButton(QWidget *parent) : QAbstractButton(parent)
{
    setMouseTracking(true);
    initDefaultImages();
}

void MGPopupButton::initDefaultImages()
{
    m_isHighlight = false;
    m_isPressed = false;
    m_bgImages.clear();
    m_bgImages.reserve(15);
    m_icon = ControlSlices::image(QStringLiteral("mainform-120"));
    for (const char *name : {"Guidancemap-107", "Guidancemap-109", "Guidancemap-111", "Guidancemap-113"})
        m_bgImages += cropThreeParts(ControlSlices::image(QLatin1String(name), QStringLiteral("Guidancemap")), 12, 1);
    QFont f = font();
    f.setPixelSize(12);
    setFont(f);
}

QList<QImage> MGPopupButton::currentBgImage() const
{
    const int start = ControlGeometry::popupImageIndex(isEnabled(), m_isHighlight, m_isPressed);
    if (start + 3 > m_bgImages.size())
        return {};
    return m_bgImages.mid(start, 3);
}

QSize MGPopupButton::sizeHint() const
{
    return QSize(QFontMetrics(font()).horizontalAdvance(text()) + 70, 30);
}

void MGPopupButton::paintEvent(QPaintEvent *)
{
    const QList<QImage> triple = currentBgImage();
    if (triple.size() != 3)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const qreal h = height(), w = width();
    const QSizeF ls = ControlSlices::pointSize(triple[0]), ms = ControlSlices::pointSize(triple[1]),
                 rs = ControlSlices::pointSize(triple[2]);
    using ControlGeometry::toQt;
    p.drawImage(toQt(QRectF(0, 0, ls.width(), ls.height()), h), triple[0]);
    const qreal midW = w - rs.width() - ls.width();
    p.drawImage(toQt(QRectF(ls.width(), 0, midW, ms.height()), h), triple[1]);
    p.drawImage(toQt(QRectF(ls.width() + midW, 0, rs.width(), rs.height()), h), triple[2]);
    qreal x = 5;
    if (!m_icon.isNull()) {
        const QSizeF is = ControlSlices::pointSize(m_icon);
        p.drawImage(toQt(QRectF(10, (h - is.height()) * 0.5, is.width(), is.height()), h), m_icon);
        x = 10 + is.width() + 5;
    }
    if (!text().isEmpty()) {
        const QFontMetricsF fm(font());
        const QSizeF ts(fm.horizontalAdvance(text()), fm.height());
        p.setFont(font());
        p.setPen(m_textColor);
        p.drawText(toQt(QRectF(x, (h - ts.height()) * 0.5, ts.width() + 1, ts.height()), h),
                   Qt::AlignLeft | Qt::AlignVCenter, text());
    }
}

void MGPopupButton::enterEvent(QEnterEvent *e)
{
    if (isEnabled()) {
        m_isHighlight = true;
        m_isPressed = false;
        update();
    }
    QAbstractButton::enterEvent(e);
}

void MGPopupButton::leaveEvent(QEvent *e)
{
    if (isEnabled()) {
        m_isHighlight = false;
        m_isPressed = false;
        update();
    }
    QAbstractButton::leaveEvent(e);
}

void MGPopupButton::mousePressEvent(QMouseEvent *e)
{
    if (!isEnabled() || e->button() != Qt::LeftButton)
        return;
    m_isPressed = true;
    m_isHighlight = false;
    m_popupRect = ControlGeometry::toQt(ControlGeometry::popupPartRect(QRectF(rect())), height());
    update();
    if (m_popupRect.contains(e->position())) {
        const TargetAction popup(m_popTarget, m_popupAction.constData());
        if (popup.isSet()) {
            popup.send(this);
            emit popupClicked();
        }
        return;
    }
    emit clicked(false);
}

void MGPopupButton::mouseReleaseEvent(QMouseEvent *e)
{
    // The action already went on mouse-down; the pressed look stays until the pointer moves out.
    e->accept();
}
