#include "converter/VCPopUpButton.h"

#include "converter/ImageManager.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionComboBox>

#include <cmath>

namespace {

// The caps' width on the left, and the caps with the arrow on the right, in points.
constexpr int LeftInset = 6;
constexpr int RightInset = 18;
// Space between the picture and the title.
constexpr int ImageGap = 3;

const QString ActionTemplateName = QStringLiteral("NSActionTemplate");

} // namespace

VCPopUpButton::VCPopUpButton(QWidget *parent)
    : QComboBox(parent)
{
    QFont f = font();
    f.setPointSizeF(11);
    setFont(f);
}

void VCPopUpButton::setBUsePushDownImage(bool on)
{
    m_bUsePushDownImage = on;
    update();
}

void VCPopUpButton::setImage(const QImage &image, const QString &name)
{
    m_image = image;
    m_imageName = name;
    update();
}

void VCPopUpButton::setImagePosition(ImagePosition position)
{
    m_imagePosition = position;
    update();
}

void VCPopUpButton::setPullsDown(bool on)
{
    m_pullsDown = on;
    update();
}

QStringList VCPopUpButton::bezelImageNames(bool highlighted, bool usePushDownImage, bool pullsDown)
{
    const QString state = highlighted || usePushDownImage ? QStringLiteral("P") : QStringLiteral("N");
    const QString right = pullsDown ? QStringLiteral("PullDownRight") : QStringLiteral("VCPopupBtnRight");
    return {QStringLiteral("VCPopupBtnLeft") + state, QStringLiteral("VCPopupBtnFill") + state, right + state};
}

QSize VCPopUpButton::drawnImageSize(const QSize &imageSize, const QString &name)
{
    return name == ActionTemplateName ? QSize(10, 10) : imageSize;
}

QRect VCPopUpButton::imageRectForBounds(const QRect &bounds, const QSize &imageSize, ImagePosition position)
{
    if (position == ImagePosition::NoImage || imageSize.isEmpty())
        return QRect();
    const QRect interior = bounds.adjusted(LeftInset, 0, -RightInset, 0);
    QRect r(QPoint(0, 0), imageSize);
    r.moveTop(interior.top() + (interior.height() - imageSize.height()) / 2);
    switch (position) {
    case ImagePosition::ImageLeft:
        r.moveLeft(interior.left() - 1);
        break;
    case ImagePosition::ImageRight:
        r.moveRight(interior.right() + 3);
        break;
    default: // alone, over or under the title: centred, a little to the right
        r.moveLeft(interior.left() + (interior.width() - imageSize.width()) / 2 + 4);
        break;
    }
    return r;
}

QRect VCPopUpButton::titleRectForBounds(const QRect &bounds, const QSize &imageSize, ImagePosition position,
                                        Qt::Alignment alignment)
{
    QRect r = bounds.adjusted(LeftInset, 0, -RightInset, 0);
    const bool hasImage = position != ImagePosition::NoImage && !imageSize.isEmpty();
    if (hasImage && position == ImagePosition::ImageLeft)
        r.setLeft(r.left() + imageSize.width() + ImageGap);
    else if (hasImage && position == ImagePosition::ImageRight)
        r.setRight(r.right() - imageSize.width() - ImageGap);
    r.translate(0, -1);
    r.setWidth(r.width() + 6);
    if (hasImage) {
        if (position == ImagePosition::ImageRight && (alignment & Qt::AlignRight))
            r.translate(-3, 0);
        else if (position == ImagePosition::ImageLeft)
            r.translate(2, 0);
    }
    return r;
}

QImage VCPopUpButton::actionTemplateImage()
{
    // A gear: eight teeth around a ring, drawn at 2x so it stays crisp at 10 x 10.
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x33, 0x33, 0x33));
    QPainterPath gear;
    const QPointF c(16, 16);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        const QPointF d(std::cos(a), std::sin(a));
        const QPointF n(-d.y(), d.x());
        const QPointF base = c + d * 9, tip = c + d * 15;
        gear.addPolygon(QPolygonF({base - n * 3.5, tip - n * 2.5, tip + n * 2.5, base + n * 3.5}));
    }
    gear.addEllipse(c, 11, 11);
    gear.setFillRule(Qt::WindingFill);
    QPainterPath hole;
    hole.addEllipse(c, 4.5, 4.5);
    p.drawPath(gear.simplified().subtracted(hole));
    p.end();
    return image;
}

QImage VCPopUpButton::shownImage(QSize *drawnSize) const
{
    if (!m_image.isNull()) {
        const QSize natural = m_image.deviceIndependentSize().toSize();
        *drawnSize = drawnImageSize(natural, m_imageName);
        return *drawnSize == natural ? m_image
                                     : m_image.scaled(*drawnSize * m_image.devicePixelRatio(), Qt::IgnoreAspectRatio,
                                                      Qt::SmoothTransformation);
    }
    const QIcon icon = currentIndex() >= 0 ? itemIcon(currentIndex()) : QIcon();
    if (icon.isNull())
        return QImage();
    *drawnSize = iconSize();
    return icon.pixmap(iconSize(), devicePixelRatioF()).toImage();
}

QSize VCPopUpButton::sizeHint() const
{
    QSize s = QComboBox::sizeHint();
    const QImage fill = g_popupButtonImages.value(QStringLiteral("VCPopupBtnFillN"));
    if (!fill.isNull())
        s.setHeight(int(fill.height() / fill.devicePixelRatio()));
    return s;
}

void VCPopUpButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QStringList names = bezelImageNames(view()->isVisible(), m_bUsePushDownImage, m_pullsDown);
    const QImage left = g_popupButtonImages.value(names[0]);
    const QImage fill = g_popupButtonImages.value(names[1]);
    const QImage right = g_popupButtonImages.value(names[2]);
    const QRect r = rect();
    if (left.isNull() || fill.isNull() || right.isNull()) {
        // No sheet loaded: a flat dark bezel of the same shape.
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.setBrush(QColor(m_bUsePushDownImage ? 0x30 : 0x55, 0x5A, 0x60));
        p.drawRoundedRect(r.adjusted(0, 0, -1, -1), 4, 4);
    } else {
        const int h = qMin(r.height(), int(fill.height() / fill.devicePixelRatio()));
        const int y = (r.height() - h) / 2;
        const int lw = int(left.width() / left.devicePixelRatio());
        const int rw = int(right.width() / right.devicePixelRatio());
        p.drawImage(QRect(0, y, lw, h), left);
        p.drawImage(QRect(lw, y, qMax(0, r.width() - lw - rw), h), fill);
        p.drawImage(QRect(r.width() - rw, y, rw, h), right);
    }
    QSize imageSize;
    const QImage picture = shownImage(&imageSize);
    const ImagePosition position = picture.isNull() ? ImagePosition::NoImage : m_imagePosition;
    if (position != ImagePosition::NoImage) {
        // Unscaled, except the action picture, which has its own size.
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setOpacity(1.0);
        p.drawImage(imageRectForBounds(r, imageSize, position), picture);
    }
    if (position == ImagePosition::ImageOnly)
        return;
    // The sheet's bezel is light: dark text, grey while disabled.
    p.setPen(isEnabled() ? QColor(0x1F, 0x29, 0x33) : QColor::fromRgbF(0.6, 0.6, 0.6));
    const Qt::Alignment alignment = Qt::AlignLeft;
    // The title rectangle is widened over the arrow's margin; the text itself stops short of it.
    const QRect text = titleRectForBounds(r, imageSize, position, alignment).adjusted(0, 0, -6, 0);
    p.drawText(text, Qt::AlignVCenter | alignment, fontMetrics().elidedText(currentText(), Qt::ElideRight, text.width()));
}
