#include "controls/PopoverGeometry.h"

#include <QEasingCurve>

#include <algorithm>
#include <cmath>

namespace PopoverGeometry {

QRectF upToQt(const QRectF &r, qreal height)
{
    return QRectF(r.x(), height - r.y() - r.height(), r.width(), r.height());
}

QRectF qtToUp(const QRectF &r, qreal height)
{
    return upToQt(r, height);  // the flip is its own inverse
}

QPointF upToQt(const QPointF &p, qreal height)
{
    return QPointF(p.x(), height - p.y());
}

QPointF qtToUp(const QPointF &p, qreal height)
{
    return upToQt(p, height);
}

qreal clampBorderWidth(qreal requested, qreal viewMargin)
{
    return std::min(requested, viewMargin);
}

qreal clampViewMargin(qreal requested)
{
    return std::max<qreal>(0, requested);
}

qreal clampCornerRadius(qreal requested, qreal viewMargin, const QSizeF &view, qreal arrowBaseWidth)
{
    const qreal most = (2 * viewMargin + std::min(view.width(), view.height()) - arrowBaseWidth) * 0.5;
    return std::clamp<qreal>(requested, 0, std::max<qreal>(0, most));
}

qreal clampArrowBaseWidth(qreal requested, qreal viewMargin, const QSizeF &view, qreal cornerRadius,
                          bool roundCornerBesideArrow)
{
    qreal most = 2 * viewMargin + std::min(view.width(), view.height()) - cornerRadius;
    if (roundCornerBesideArrow)
        most -= cornerRadius;
    // A negative width would turn the arrow inside out.
    return std::max<qreal>(0, std::min(requested, most));
}

qreal arrowInset(const AttachedMetrics &m)
{
    return m.arrowBaseWidth * 0.5 + (m.roundCornerBesideArrow ? m.cornerRadius : 0);
}

AttachedLayout attachedLayout(const AttachedMetrics &m, const QSizeF &view, const QPointF &p, int side,
                              qreal d)
{
    const qreal mg = m.viewMargin;
    AttachedLayout out;
    out.viewFrame = QRectF(mg, mg, view.width(), view.height());
    qreal W = view.width() + 2 * mg, H = view.height() + 2 * mg;
    const qreal a = m.arrowHeight;
    switch (side) {
    case 0: case 4: case 5: W += a; break;
    case 1: case 10: case 11: H += a; break;
    case 2: case 6: case 7: W += a; out.viewFrame.translate(a, 0); break;
    case 3: case 8: case 9: H += a; out.viewFrame.translate(0, a); break;
    default: break;
    }
    const qreal i = arrowInset(m);
    qreal x = p.x(), y = p.y();
    switch (side) {
    case 0: x = p.x() - W - d; y = p.y() - H / 2; break;
    case 1: x = p.x() - W / 2; y = p.y() - H - d; break;
    case 2: x = p.x() + d; y = p.y() - H / 2; break;
    case 3: x = p.x() - W / 2; y = p.y() + d; break;
    case 4: x = p.x() - W - d; y = p.y() - i; break;
    case 5: x = p.x() - W - d; y = p.y() - (H - i); break;
    case 6: x = p.x() + d; y = p.y() - i; break;
    case 7: x = p.x() + d; y = p.y() - (H - i); break;
    case 8: x = p.x() - (W - i); y = p.y() + d; break;
    case 9: x = p.x() - i; y = p.y() + d; break;
    case 10: x = p.x() - (W - i); y = p.y() - H - d; break;
    case 11: x = p.x() - i; y = p.y() - H - d; break;
    default: break;
    }
    out.window = QRectF(x, y, W, H);
    return out;
}

int bestSide(const AttachedMetrics &m, const QSizeF &view, const QPointF &p, qreal distance, const QRectF &screen,
             const QRectF &parent)
{
    const qreal h = 2 * m.viewMargin + view.height();
    const qreal w = 2 * m.viewMargin + view.width();
    const qreal r = m.arrowHeight + distance;
    // y-up: bottom() of a QRectF is its larger y, so name the edges explicitly.
    const qreal sLeft = screen.x(), sRight = screen.x() + screen.width();
    const qreal sBottom = screen.y(), sTop = screen.y() + screen.height();
    const qreal pLeft = parent.x(), pRight = parent.x() + parent.width();
    const qreal pBottom = parent.y(), pTop = parent.y() + parent.height();
    int side = 1;
    if (p.y() - h - r >= sBottom)
        side = 1;
    else if (p.x() + w + r < sRight)
        side = 2;
    else if (p.x() - w - r >= sLeft)
        side = 0;
    else if (p.y() + h + r < sTop)
        side = 3;
    const qreal i = arrowInset(m);
    if (side == 1 || side == 3) {
        if (pLeft > p.x() - w / 2) {
            if (sRight > p.x() + w - i)
                side = side == 1 ? 11 : 9;
        } else if (p.x() + w / 2 >= pRight && p.x() - w + i >= sLeft) {
            side = side == 1 ? 10 : 8;
        }
    } else {
        if (pBottom > p.y() - h / 2) {
            if (sTop > p.y() + h - i)
                side = side == 2 ? 6 : 4;
        } else if (p.y() + h / 2 >= pTop && p.y() - h + i >= sBottom) {
            side = side == 2 ? 7 : 5;
        }
    }
    return side;
}

namespace {

// A rounded corner from the current point through `corner` to `end`; square without radius.
void cornerTo(QPainterPath &path, const QPointF &corner, const QPointF &end, bool round)
{
    if (!round) {
        path.lineTo(corner);
        path.lineTo(end);
        return;
    }
    constexpr qreal k = 0.5522847498;  // quarter circle as one cubic
    const QPointF start = path.currentPosition();
    path.cubicTo(start + (corner - start) * k, end + (corner - end) * k, end);
}

void arrowAt(QPainterPath &path, const QPointF &out, const QPointF &along, qreal height, qreal base)
{
    const QPointF c = path.currentPosition();
    path.lineTo(c + out * height + along * (base / 2));
    path.lineTo(c + along * base);
}

} // namespace

QPainterPath bubbleOutline(const AttachedMetrics &m, const QRectF &viewFrame, int side)
{
    const QRectF content = viewFrame.adjusted(-m.viewMargin, -m.viewMargin, m.viewMargin, m.viewMargin);
    const qreal left = std::ceil(content.x() + 0.5), right = std::floor(content.x() + content.width() - 0.5);
    const qreal bottom = std::ceil(content.y() + 0.5), top = std::floor(content.y() + content.height() - 0.5);
    const qreal mx = content.x() + content.width() / 2, my = content.y() + content.height() / 2;
    const qreal b = m.arrowBaseWidth, ah = m.arrowHeight;
    const bool arrow = m.hasArrow;
    const bool sq = !m.roundCornerBesideArrow;
    auto radiusAt = [&](bool squareHere) { return (m.cornerRadius > 0 && !squareHere) ? m.cornerRadius : 0.0; };
    const qreal rTL = radiusAt(sq && (side == 7 || side == 11));
    const qreal rTR = radiusAt(sq && (side == 5 || side == 10));
    const qreal rBR = radiusAt(sq && (side == 4 || side == 8));
    const qreal rBL = radiusAt(sq && (side == 6 || side == 9));

    QPainterPath path;
    path.moveTo(left + rTL, top);
    // Top edge, left to right; the arrow points up.
    const QPointF up(0, 1), down(0, -1), toRight(1, 0), toLeft(-1, 0);
    if (arrow && side == 11)
        arrowAt(path, up, toRight, ah, b);
    if (arrow && side == 1) {
        path.lineTo(mx - b / 2, top);
        arrowAt(path, up, toRight, ah, b);
    }
    if (arrow && side == 10) {
        path.lineTo(right - rTR - b, top);
        arrowAt(path, up, toRight, ah, b);
    }
    path.lineTo(right - rTR, top);
    cornerTo(path, QPointF(right, top), QPointF(right, top - rTR), rTR > 0);
    // Right edge, downwards; the arrow points right.
    if (arrow && side == 5)
        arrowAt(path, toRight, down, ah, b);
    if (arrow && side == 0) {
        path.lineTo(right, my + b / 2);
        arrowAt(path, toRight, down, ah, b);
    }
    if (arrow && side == 4) {
        path.lineTo(right, bottom + rBR + b);
        arrowAt(path, toRight, down, ah, b);
    }
    path.lineTo(right, bottom + rBR);
    cornerTo(path, QPointF(right, bottom), QPointF(right - rBR, bottom), rBR > 0);
    // Bottom edge, right to left; the arrow points down.
    if (arrow && side == 8)
        arrowAt(path, down, toLeft, ah, b);
    if (arrow && side == 3) {
        path.lineTo(mx + b / 2, bottom);
        arrowAt(path, down, toLeft, ah, b);
    }
    if (arrow && side == 9) {
        path.lineTo(left + rBL + b, bottom);
        arrowAt(path, down, toLeft, ah, b);
    }
    path.lineTo(left + rBL, bottom);
    cornerTo(path, QPointF(left, bottom), QPointF(left, bottom + rBL), rBL > 0);
    // Left edge, upwards; the arrow points left.
    if (arrow && side == 6)
        arrowAt(path, toLeft, up, ah, b);
    if (arrow && side == 2) {
        path.lineTo(left, my - b / 2);
        arrowAt(path, toLeft, up, ah, b);
    }
    if (arrow && side == 7) {
        path.lineTo(left, top - rTL - b);
        arrowAt(path, toLeft, up, ah, b);
    }
    path.lineTo(left, top - rTL);
    cornerTo(path, QPointF(left, top), QPointF(left + rTL, top), rTL > 0);
    path.closeSubpath();
    return path;
}

QRectF editMenuItemFrame(const QSizeF &window, qreal k, qreal offset, qreal height)
{
    return QRectF(k + 1.0, window.height() - offset - height, window.width() - k - 2.0, height);
}

QRectF editMenuBackgroundFrame(const QRectF &bg, const QSizeF &window, qreal offset, qreal height)
{
    return QRectF(bg.x(), window.height() - offset - height - 4.0, bg.width(), offset + height + 4.0);
}

QRectF editMenuPopupFrame(const QPointF &p, const QPointF &anchor, const QSizeF &size)
{
    return QRectF(p.x() - anchor.x(), p.y() + anchor.y() - size.height(), size.width(), size.height());
}

int arrowPopHitRow(qreal y)
{
    return std::max(0, int(std::trunc((y - 11.0) / 25.0)));
}

int arrowPopReportedRow(qreal y, int rowCount)
{
    return rowCount - 1 - arrowPopHitRow(y);
}

QRectF arrowPopRowRect(int i, qreal width)
{
    return QRectF(0, 15 + 20 * i, width, 20.0);
}

QRectF arrowPopTextRect(int i, qreal width)
{
    return QRectF(20.0, 15 + 20 * i - 5 - (i == 0 ? 1 : 0), width, 25.0);
}

QRectF threePartFitFrame(const QRectF &f, qreal titleWidth, int orientation, int gap)
{
    const qreal width = titleWidth + 2 * (gap == 0 ? 3 : gap);
    const qreal change = width - f.width();
    switch (orientation) {
    case 0: return QRectF(f.x(), f.y(), width, f.height());
    case 1: return QRectF(f.x() - change / 2, f.y(), width, f.height());
    case 2: return QRectF(f.x() - change, f.y(), width, f.height());
    default: return f;
    }
}

double easeInEaseOut(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    // Solve bx(t) = x by bisection (monotone), then evaluate by(t).
    const auto bez = [](double t, double p1, double p2) {
        const double u = 1 - t;
        return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
    };
    double lo = 0, hi = 1, t = x;
    for (int k = 0; k < 60; ++k) {
        t = (lo + hi) / 2;
        if (bez(t, 0.42, 0.58) < x)
            lo = t;
        else
            hi = t;
    }
    return bez(t, 0.0, 1.0);
}

QPointF cubicPoint(const QPointF &p0, const QPointF &p1, const QPointF &p2, const QPointF &p3, double t)
{
    const double u = 1 - t;
    return p0 * (u * u * u) + p1 * (3 * u * u * t) + p2 * (3 * u * t * t) + p3 * (t * t * t);
}

FlightFrame flightAt(const QRectF &from, const QRectF &to, double seconds)
{
    const double x = std::clamp(seconds / FlightSeconds, 0.0, 1.0);
    const QPointF s = from.center(), e = to.center();
    FlightFrame f;
    f.centre = cubicPoint(s, QPointF(e.x(), s.y()), e, e, easeInEaseOut(x));
    f.opacity = 1.0 + (0.2 - 1.0) * x;
    const QSizeF end = to.size() * 0.6;
    f.size = QSizeF(from.width() + (end.width() - from.width()) * x,
                    from.height() + (end.height() - from.height()) * x);
    return f;
}

const QList<BouncePhase> &bouncePhases()
{
    static const QList<BouncePhase> phases = {{1.25, 0.2}, {0.8, 0.1}, {1.0, 0.1}};
    return phases;
}

QRectF bounceRect(const QRectF &full, double f)
{
    const qreal w = full.width() * f, h = full.height() * f;
    const qreal top = full.y() + full.height();
    return QRectF(full.center().x() - w / 2, top - h, w, h);
}

QRectF bounceWindow(const QRectF &r)
{
    return r.adjusted(-r.width() / 2, -r.height() / 2, r.width() / 2, r.height() / 2);
}

QRectF slidingFrame(const QSizeF &screen, qreal currentWidth, qreal currentHeight, bool hide)
{
    const qreal x = std::trunc(screen.width() - 436.0);
    const qreal y = std::trunc(screen.height() - (currentHeight + 23.0));
    return QRectF(x, hide ? y + 100 : y, currentWidth, 110.0);
}

QRectF progressFillRect(const QRectF &b, const QRectF &m, double value, double minimum, double maximum)
{
    if (value < 0.0001)
        return {};
    if (value + 1.0 > maximum)
        return b;
    const double range = maximum - minimum;
    if (!(range > 0))
        return {};
    // The minimum is part of the scale: value minimum is an empty bar.
    const double fraction = std::clamp((value - minimum) / range, 0.0, 1.0);
    const qreal width = std::abs(fraction * (b.width() - m.x() - m.width()));
    const qreal height = b.height() - m.y() - m.height();
    if (width <= 0 || height <= 0)
        return {};
    return QRectF(b.x() + m.x(), b.y() + m.y(), width, height);
}

int spinnerStep(double value)
{
    return int(std::lround(value / (1.0 / 12.0)));
}

SpinnerLayout spinnerLayout(const QRectF &f, double value, bool spinning, bool flipped)
{
    SpinnerLayout out;
    const qreal size = std::min(f.width(), f.height());
    const QPointF c(f.x() + size / 2, f.y() + f.height() / 2);
    const double dir = flipped ? 1 : -1;
    out.lineWidth = 0.08 * size;
    const qreal inner = size >= 32 ? 0.23 * size : 0.27 * size;
    const qreal outer = size >= 32 ? 0.38 * size : 0.48 * size;
    double angle = (spinning ? 270.0 + 30.0 * spinnerStep(value) : 270.0) * dir;
    for (int i = 0; i < 12; ++i) {
        const double rad = angle * M_PI / 180.0;
        const QPointF u(std::cos(rad), std::sin(rad));
        out.spokes.append({angle, c + u * inner, c + u * outer, 1.0 - 0.25 * std::sqrt(double(i))});
        angle -= 30.0 * dir;
    }
    return out;
}

QRectF seekTrackRect(const QRectF &b)
{
    return QRectF(b.x(), std::round((b.height() - 3) / 2), b.width(), 3);
}

QRectF seekProgressRect(const QRectF &b, double value, double maximum)
{
    QRectF r = seekTrackRect(b);
    qreal w = maximum > 0 ? r.width() * value / maximum : 0;
    if (!(w > 2.0))
        w = 3.0;
    r.setWidth(std::min<qreal>(w, std::max<qreal>(3.0, r.width())));
    return r;
}

double seekValueAt(qreal x, qreal width, double minimum, double maximum)
{
    if (x < 0)
        return minimum;
    if (x >= width)
        return maximum;
    return (maximum - minimum) * x / width + minimum;
}

bool seekShouldAnnounce(double now, double last)
{
    return now - last > SeekAnnounceInterval;
}

int frameIndexAt(double seconds, double cycle, int count)
{
    if (count <= 0 || cycle <= 0)
        return -1;
    const double within = std::fmod(std::max(0.0, seconds), cycle) / cycle;
    return std::min(count - 1, int(within * count));
}

double circleImageAngle(double seconds)
{
    const double turn = std::fmod(std::max(0.0, seconds), 1.0);
    return 2 * M_PI * (1.0 - turn);
}

double circleAnimationAngle(double seconds)
{
    const double turn = std::fmod(std::max(0.0, seconds), 3.0) / 3.0;
    return 2 * M_PI * easeInEaseOut(turn);
}

} // namespace PopoverGeometry
