#include "controls/ControlGeometry.h"

#include <algorithm>
#include <cmath>

namespace ControlGeometry {

QRectF toQt(const QRectF &r, qreal viewHeight)
{
    return QRectF(r.x(), viewHeight - r.y() - r.height(), r.width(), r.height());
}

HoverTitleLayout hoverTitleLayout(const QRectF &r, const QSizeF &title, const QSizeF &icon, bool hasIcon,
                                  qreal iconTitleSpace)
{
    HoverTitleLayout out;
    const qreal tw = title.width(), th = title.height();
    if (!hasIcon) {
        if (tw <= r.width()) {
            out.titleRect = QRectF(r.x() + (r.width() - tw) * 0.5, r.y() + (r.height() - th) * 0.5 - 2, tw, th);
        } else {
            out.titleFits = false;
            out.titleRect = r;
        }
        return out;
    }
    // 26 points are kept for icon and gap whatever their real size.
    const qreal tx = r.x() + (r.width() - std::trunc(tw + 26)) * 0.5 - 2;
    const qreal ty = r.y() + (r.height() - th) * 0.5 - 2;
    out.iconRect = QRectF(std::ceil(tx), r.y() + std::ceil((r.height() - icon.height()) * 0.5) - 2, icon.width(),
                          icon.height());
    out.titleRect = QRectF(tx + icon.width() + iconTitleSpace, ty, tw, th);
    return out;
}

QRectF redOvalRect(const QRectF &frame, bool flipped)
{
    return QRectF(frame.width() - 7, flipped ? frame.y() : frame.height() - 7, 7, 7);
}

CheckBoxLayout checkBoxLayout(const QRectF &f, const QSizeF &image)
{
    CheckBoxLayout out;
    out.imageRect = QRectF(f.x(), f.y() + std::trunc((f.height() - image.height()) * 0.5), image.width(),
                           image.height());
    const qreal tx = f.x() + image.width() + 1;
    out.titleArea = QRectF(tx, f.y(), f.width() - tx, f.height());
    return out;
}

QRectF checkBoxTitleRect(const QRectF &area, const QSizeF &bounding)
{
    QRectF a = area;
    if (a.width() > 4)
        a = QRectF(a.x() + 2, a.y(), a.width() - 4, a.height());
    const QRectF r(a.x() + 3, a.y() + a.height() * 0.5 - bounding.height() * 0.5, bounding.width(),
                   bounding.height());
    // Integral: the smallest whole-number rectangle that holds r.
    const qreal x0 = std::floor(r.left()), y0 = std::floor(r.top());
    return QRectF(x0, y0, std::ceil(r.right()) - x0, std::ceil(r.bottom()) - y0);
}

QRectF switchKnobRect(const QRectF &bounds, qreal offset)
{
    const QRectF r = bounds.adjusted(1, 1, -1, -1);
    return QRectF(r.x() + (r.width() - 38) * offset, r.y() + r.height() / 2 - 11.5, 38, 23);
}

qreal switchOffsetForKnobCentre(const QRectF &bounds, qreal c)
{
    const QRectF r = bounds.adjusted(1, 1, -1, -1);
    if (c <= r.x() + 19)
        return 0;
    if (c >= r.x() + r.width() - 19)
        return 1;
    const qreal travel = r.width() - 38;
    return travel > 0 ? (c - (r.x() + 19)) / travel : 0;
}

bool switchStateAfterDrag(bool wasOn, qreal offset)
{
    return wasOn ? offset >= 0.75 : offset >= 0.25;
}

std::optional<bool> switchClickOutsideKnob(const QRectF &bounds, qreal offset, bool isOn, qreal x)
{
    const QRectF knob = switchKnobRect(bounds, offset);
    if (isOn && x < knob.left())
        return false;
    if (!isOn && x > knob.right())
        return true;
    return std::nullopt;
}

QRectF urlLabelActiveRect(const QRectF &b, qreal textWidth, TextAlign align)
{
    QRectF r = b;
    const qreal want = textWidth + 10;
    if (align == TextAlign::Left) {
        r.setWidth(std::min(want, b.width()));
    } else if (align == TextAlign::Right) {
        if (want < b.width()) {
            r.setWidth(want);
            r.moveLeft(b.width() - want);
        }
    }
    return r;
}

QRectF urlLabelMoveOverRect(const QRectF &b, qreal textWidth)
{
    return QRectF(b.x(), b.y(), textWidth + 10, b.height());
}

qreal effectiveCornerRadius(qreal radius)
{
    return radius <= 0 ? 4 : radius;
}

QRectF squaredCornerRect(const QRectF &b, unsigned mask, qreal radius)
{
    if (mask == 0)
        return {};
    QRectF r = b;
    if (mask & 1)
        r.setHeight(radius);
    if (mask & 2) {
        r.setY(b.y() + b.height() - radius);
        r.setHeight(radius);
    }
    if (mask & 4) {
        r.setX(b.x() + b.width() - radius);
        r.setWidth(radius);
    }
    if (mask & 8)
        r.setWidth(radius);
    return r;
}

QRectF bottomLineRect(const QRectF &b)
{
    return QRectF(b.x(), b.y(), b.width(), 1);
}

QRectF topLineRect(const QRectF &b)
{
    return QRectF(b.x(), b.y() + b.height() - 1, b.width(), 1);
}

QRectF whiteBackgroundFillRect(const QRectF &bounds, std::optional<qreal> topBlack)
{
    if (!topBlack)
        return bounds;
    return QRectF(0, 0, bounds.width(), std::max<qreal>(0, bounds.height() - std::trunc(*topBlack)));
}

QList<QRectF> starRects(int total, int light, const QSizeF &lightStar, const QSizeF &grayStar, bool lightValid,
                        bool grayValid)
{
    QList<QRectF> out;
    if (total <= 0)
        return out;
    // A light count above the total is held to the total, so drawing stays bounded.
    light = std::clamp(light, 0, total);
    qreal x = 0;
    for (int i = 0; i < total; ++i) {
        const bool isLight = i < light;
        if (!(isLight ? lightValid : grayValid))
            continue;
        const QSizeF s = isLight ? lightStar : grayStar;
        out.append(QRectF(x, 0, s.width(), s.height()));
        x += s.width() + 4;
    }
    return out;
}

VolumeLayout volumeLayout(const QRectF &bar, qreal controlWidth, double value, double minimum, double maximum,
                          qreal platformKnobY)
{
    VolumeLayout out;
    out.track = QRectF(bar.x(), (std::max<qreal>(bar.height(), 21) - 3) * 0.5, bar.width(), 3);
    const double span = maximum - minimum;
    const double f = span > 0 ? std::clamp((value - minimum) / span, 0.0, 1.0) : 0.0;
    out.knob = QRectF(f * (controlWidth - 10), platformKnobY + 5, 10, 10);
    out.filled = QRectF(out.track.x(), out.track.y(), out.knob.x(), 3);
    return out;
}

TabHeaderLayout tabHeaderLayout(const QRectF &b, const QSizeF &icon, bool hasIcon, int leftPad, int rightPad,
                                const QSizeF &caption)
{
    TabHeaderLayout out;
    qreal x = b.x();
    if (hasIcon) {
        out.iconRect = QRectF(leftPad, (b.height() - icon.height()) * 0.5, icon.width(), icon.height());
        x = b.x() + leftPad + icon.width() + rightPad;
    }
    const qreal room = b.width() - x;
    // Held at zero so a very narrow header never asks for a negative caption box.
    const qreal limit = std::max<qreal>(0, std::trunc(room - 30));
    QSizeF size = caption;
    if (caption.width() > limit) {
        out.twoLines = true;
        size = QSizeF(limit, caption.height() * 2 + 10);
    }
    out.captionRect = QRectF(x, (b.height() - size.height()) * 0.5, size.width(), size.height());
    return out;
}

QRectF imageDrawTopAligned(const QRectF &b, qreal imageHeight)
{
    return QRectF(b.x(), b.y() + b.height() - imageHeight, b.width(), imageHeight);
}

float thinProgressValue(float requested)
{
    return requested > 1.0f ? 0.99f : requested;
}

QRectF thinProgressBar(const QRectF &bounds, float progress)
{
    if (progress <= 0)
        return {};
    return QRectF(bounds.x(), bounds.y(), bounds.width() * progress, bounds.height());
}

QRectF popupPartRect(const QRectF &b)
{
    return QRectF(b.width() - 30, 0, 30, b.height());
}

int popupImageIndex(bool enabled, bool highlight, bool pressed)
{
    if (!enabled)
        return 9;
    if (highlight)
        return 3;
    if (pressed)
        return 6;
    return 0;
}

BackgroundButtonLayout backgroundButtonLayout(const QRectF &frame, const QSizeF &iconSize, const QSizeF &icon)
{
    BackgroundButtonLayout out;
    if (iconSize.isEmpty())
        out.iconRect = QRectF((frame.width() - icon.width()) * 0.5, (frame.height() - icon.height()) * 0.5,
                              icon.width(), icon.height());
    else
        out.iconRect = QRectF((iconSize.width() - icon.width()) * 0.5, (iconSize.height() - icon.height()) * 0.5,
                              icon.width(), icon.height());
    out.textArea = QRectF(frame.x() + iconSize.width() + 4, frame.y(), frame.width() - 8 - iconSize.width(),
                          frame.height());
    return out;
}

PullDownLayout pullDownLayout(const QRectF &f, const QSizeF &icon, const QSizeF &arrow, bool showArrow)
{
    PullDownLayout out;
    out.iconRect = QRectF(8, (f.height() - icon.height()) * 0.5, icon.width(), icon.height());
    qreal arrowX = f.x() + f.width();
    if (showArrow) {
        arrowX = f.width() - 5 - arrow.width();
        out.arrowRect = QRectF(arrowX, (f.height() - arrow.height()) * 0.5, arrow.width(), arrow.height());
    }
    const qreal tx = 8 + icon.width() + 2;
    out.titleRect = QRectF(tx, 0, std::max<qreal>(0, arrowX - (8 + icon.width()) - 4), f.height());
    return out;
}

HoverStateChoice hoverCellChoice(const HoverCellLooks &l, bool enabled, bool mouseOver, bool mouseDown)
{
    HoverStateChoice c;
    auto orNormal = [&](const std::optional<QColor> &col) { return col ? col : l.normalColor; };
    if (!enabled) {
        c.slice = l.disable.isEmpty() ? l.normal : l.disable;
        c.titleColor = orNormal(l.disableColor);
    } else if (mouseOver) {
        c.slice = l.hover;
        c.titleColor = orNormal(l.overColor);
    } else if (mouseDown) {
        c.slice = l.down;
        c.titleColor = orNormal(l.downColor);
    } else {
        c.slice = l.normal;
        c.titleColor = l.normalColor;
    }
    return c;
}

QString hoverIconChoice(const QString &icon, const QString &hoverIcon, const QString &downIcon, bool enabled,
                        bool mouseOver, bool mouseDown)
{
    QString name = icon;
    if (enabled) {
        if (mouseOver && !hoverIcon.isNull())
            name = hoverIcon;
        if (mouseDown && !downIcon.isNull())
            name = downIcon;
    }
    return name;
}

int checkBoxLook(bool enabled, bool mouseOver, bool mouseDown)
{
    if (!enabled)
        return 3;
    if (mouseOver)
        return 1;
    if (mouseDown)
        return 2;
    return 0;
}

} // namespace ControlGeometry
