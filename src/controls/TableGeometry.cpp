#include "controls/TableGeometry.h"

#include <QChar>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace TableGeometry {

// ---------------------------------------------------------------- tool bar

QSizeF toolBarItemSize(const ToolBarItemMeasure &m, const QSizeF &F, int directionMode)
{
    const QSizeF &L = m.label, &I = m.image;
    const qreal g = m.margin;
    switch (m.imagePosition) {
    case NoImage:
        return QSizeF(L.width() + 2 * g, F.height());
    case ImageOnly:
        return m.hasStateImage ? QSizeF(I.width() + 2 * g, F.height()) : QSizeF(25, 25);
    case ImageLeft:
        return QSizeF(L.width() + I.width() + 4 * g, F.height());
    case ImageRight:
        return directionMode == 0 ? QSizeF(F.width() - 4, I.height() + L.height() + 4 * g)
                                  : QSizeF(I.width(), I.height() + L.height() + 4 * g);
    case ImageBelow:
        return m.hasStateImage ? QSizeF(I.width() + 2 * g, F.height()) : QSizeF(L.width() + 2 * g, F.height());
    case ImageAbove:
        if (directionMode == 0)
            return QSizeF(F.width() - 4, I.height() + L.height() + 4 * g);
        return I.width() >= L.width() ? QSizeF(I.width() + 2 * g, F.height()) : QSizeF(L.width() + 2 * g, F.height());
    default:
        return QSizeF(0, 0);
    }
}

QList<QRectF> toolBarFrames(const QList<ToolBarPassItem> &items, int showCount, int directionMode,
                            qreal boundsHeight, qreal itemMoveUpPix, qreal itemSpace)
{
    const int count = std::clamp(showCount, 0, int(items.size()));
    qreal x = 0;
    qreal y = directionMode == 0 ? boundsHeight : itemMoveUpPix;
    QList<QRectF> frames;
    frames.reserve(count);
    for (int i = 0; i < count; ++i) {
        const ToolBarPassItem &item = items.at(i);
        if (!item.visible) {
            frames.append(QRectF(x, y, 0, 0));
            continue;
        }
        if (directionMode != 1)
            y -= item.size.height();
        frames.append(QRectF(QPointF(x, y), item.size));
        if (directionMode == 1)
            x += item.size.width() + itemSpace;
    }
    return frames;
}

QRectF toolBarFrameAtIndex(const QList<QSizeF> &measured, int index, int directionMode)
{
    if (index < 0 || index >= measured.size())
        return {};
    qreal along = 0;
    for (int i = 0; i < index; ++i)
        along += directionMode == 1 ? measured.at(i).width() : measured.at(i).height();
    const QPointF origin = directionMode == 1 ? QPointF(along, 0) : QPointF(0, -along);
    return QRectF(origin, measured.at(index));
}

int toolBarHitIndex(const QList<QRectF> &frames, const QPointF &p, int showCount)
{
    for (int i = 0; i < frames.size(); ++i) {
        const QRectF &f = frames.at(i);
        // Hidden items have no size and can never be hit.
        if (f.width() > 0 && f.height() > 0 && f.contains(p))
            return i < showCount ? i : NotFound;
    }
    return NotFound;
}

ToolBarItemLayout toolBarItemLayout(int pos, const QRectF &R, const QSizeF &L, bool hasLabel, qreal m,
                                    const QSizeF &C, const QSizeF &I, bool hasImage, bool badgeOn)
{
    ToolBarItemLayout out;
    const auto fitted = [&](qreal x) {
        // The picture at its own size when the item is taller, else at the item's size.
        const QSizeF size = R.height() > C.height() ? C : R.size();
        return QRectF(x, R.y() + (R.height() - size.height()) / 2, size.width(), size.height());
    };
    const qreal ch = hasImage ? C.height() : 0;
    switch (pos) {
    case NoImage:
        if (hasLabel)
            out.label = QRectF(R.x() + m, R.y() + (R.height() - L.height()) / 2, L.width(), L.height());
        break;
    case ImageOnly:
        if (hasImage)
            out.image = fitted(R.x() + m);
        break;
    case ImageLeft:
        if (hasImage)
            out.image = QRectF(R.x() + m, R.y() + (R.height() - C.height()) / 2, C.width(), C.height());
        if (hasLabel) {
            const qreal x = hasImage ? R.x() + 2 * m + I.width() : R.x() + m;
            out.label = QRectF(x, R.y() + (R.height() - L.height()) / 2, L.width(), L.height());
        }
        break;
    case ImageRight:
        if (hasImage)
            out.image = QRectF(R.x() + (R.width() - C.width()) / 2, R.y() + R.height() - m - C.height(), C.width(),
                               C.height());
        if (hasLabel)
            out.label = QRectF(R.x() + 2, R.y(), R.width() - 4, R.height() - ch - m);
        break;
    case ImageBelow: {
        QRectF B = R;
        if (hasImage)
            B = out.image = QRectF(R.x(), fitted(R.x()).y(), fitted(R.x()).width(), fitted(R.x()).height());
        else
            out.sliceFillsItem = true;
        if (hasLabel)
            out.label = QRectF(B.x() + m, B.y() + (B.height() - L.height()) / 2, B.width() - 2 * m, L.height());
        break;
    }
    case ImageAbove:
        out.stateBackground = true;
        if (hasImage)
            out.image = QRectF(R.x() + (R.width() - I.width()) / 2, R.y() + R.height() - m - C.height(), I.width(),
                               I.height());
        if (hasLabel)
            out.label = QRectF(R.x() + 2, R.y(), R.width() - 4, R.height() - ch - m - 4);
        break;
    default:
        break;
    }
    if (badgeOn && pos >= ImageOnly && pos <= ImageAbove)
        out.anchor = out.sliceFillsItem ? R : out.image;
    return out;
}

QRectF toolBarRedDot(const QRectF &R, const QRectF &A)
{
    const qreal r = std::min<qreal>(5, R.width() / 10);
    QPointF origin;
    if (A.isNull())
        origin = QPointF(R.x() + R.width() - 3 * r + 2, R.y() + R.height() - 4 * r);
    else if ((R.width() - A.width()) / 2 > r)
        origin = QPointF(A.x() + A.width() - r - 2, R.y() + R.height() - 5 * r - 2);
    else
        origin = QPointF(R.x() + R.width() - r - 2, R.y() + R.height() - 5 * r - 2);
    return QRectF(origin, QSizeF(2 * r, 2 * r));
}

// ---------------------------------------------------------------- tables

MenuSelection contextMenuSelection(const QList<int> &selected, int row, int rowCount)
{
    MenuSelection out;
    out.selection = selected;
    if (row < 0 || row >= rowCount)
        return out;  // a point on no row is never a selection
    if (selected.size() != 1) {
        if (!selected.contains(row))
            out.selection = {row};
    } else if (selected.first() == row) {
        out.postSelectionChanged = true;
    } else {
        out.selection = {row};
    }
    return out;
}

bool listTableShowsMenu(bool showWithEmptyTable, int rowCount, int row, bool hasSheet)
{
    if (hasSheet)
        return false;
    if (!showWithEmptyTable && (rowCount <= 0 || row < 0 || row >= rowCount))
        return false;
    return true;
}

int arrowKeyTarget(int selectedRow, int delta, int rowCount)
{
    const int target = selectedRow + delta;
    if (target == selectedRow || target < 0 || target >= rowCount)
        return -1;
    return target;
}

QPointF emptyImageOrigin(const QRectF &frame, const QSizeF &image)
{
    return QPointF(frame.x() + (frame.width() - image.width()) / 2, frame.y() + (frame.height() - image.height()) / 2);
}

bool playBarShown(int playIndex, int rowCount) { return playIndex >= 0 && playIndex < rowCount; }

QRectF playBarRect(const QRectF &row) { return QRectF(row.x(), row.y(), 10, row.height()); }

bool oddRowDecorated(int row, bool hasValue) { return row % 2 == 1 && hasValue; }

QRectF oddRowLineRect(const QRectF &row)
{
    return QRectF(row.x(), std::trunc(row.y() + row.height()) - 1, row.width(), 1);
}

QRectF rowBottomLineRect(const QRectF &row) { return QRectF(row.x(), row.y() + row.height() - 1, row.width(), 1); }

QPointF dragBadgeOrigin(const QSizeF &picture, const QSizeF &badge)
{
    return QPointF(picture.width() - badge.width(), picture.height() - badge.height());
}

// ---------------------------------------------------------------- header cell

HeaderLayout headerLayout(const QRectF &f)
{
    HeaderLayout out;
    out.bottomLine = QRectF(f.x(), f.y() + f.height() - 1, f.width(), 1);
    out.rest = QRectF(f.x(), f.y(), f.width(), f.height() - 1);
    out.topLine = QRectF(f.x(), f.y(), f.width(), 1);
    out.divider = QRectF(f.x() + f.width() - 1, 0, 2, f.height());
    return out;
}

QRectF headerTextRect(const QRectF &rest, qreal textHeight, qreal marginLeft)
{
    QRectF r = rest.adjusted(0, 1, 0, -1);
    // Centred from 0, not from the rectangle's own y: the header is one row high.
    r.moveTop((r.height() - textHeight) / 2);
    r.moveLeft(r.x() + marginLeft);
    return r;
}

QPointF headerImageOrigin(const QRectF &rest, const QSizeF &image)
{
    return QPointF(rest.x() + (rest.width() - image.width()) / 2, (rest.height() - image.height()) / 2);
}

// ---------------------------------------------------------------- cells

QRectF imageAndTextTitleRect(const QRectF &b, qreal imageWidth)
{
    const qreal cut = imageWidth + 3;
    return QRectF(b.x() + cut + 2, b.y() + 10, b.width() - cut, b.height() - 20);
}

ImageTextLayout imageAndTextLayout(const QRectF &frame, const QSizeF &image, int cellType)
{
    ImageTextLayout out;
    const qreal cut = image.width() + 3;
    out.image = QRectF(frame.x() + 3, frame.y() - 1 + std::ceil((frame.height() - image.height()) / 2),
                       image.width(), image.height());
    const QRectF rest(frame.x() + cut, frame.y(), frame.width() - cut, frame.height());
    out.text = QRectF(rest.x() + 2, rest.y() + (cellType == 1 ? 8 : 12), rest.width() - 8, rest.height() - 20);
    return out;
}

QRectF imageAndTextGroupFrame(const QRectF &frame, qreal titleHeight)
{
    const qreal d = std::floor((frame.height() - titleHeight) / 2);
    // The title is centred by taking d off both edges; the height never goes below zero.
    return QRectF(frame.x(), frame.y() + d, frame.width(), std::max<qreal>(0, frame.height() - 2 * d));
}

QRectF imageAndTextHighlightRect(const QRectF &frame)
{
    return QRectF(0, frame.y(), frame.x() + frame.width(), frame.height());
}

QRectF middleTextRect(const QRectF &t, const QSizeF &text, bool centred)
{
    QRectF r(t.topLeft(), text);
    if (t.width() >= text.width() && centred)
        r.translate((t.width() - text.width()) / 2, 0);
    r.translate(0, (t.height() - text.height()) / 2);
    const qreal left = std::floor(r.left()), top = std::floor(r.top());
    return QRectF(left, top, std::ceil(r.right()) - left, std::ceil(r.bottom()) - top);
}

QRectF middleTextSpaceTitleRect(const QRectF &t) { return t.adjusted(20, 0, 0, 0); }

ImageTextLayout middleTextAndImageLayout(const QRectF &frame, const QRectF &t, const QSizeF &text,
                                         const QSizeF &image, int direct)
{
    ImageTextLayout out;
    const qreal iy = t.y() + (t.height() - image.height()) / 2;
    out.text = frame;
    if (direct == 1) {
        out.image = QRectF(QPointF(t.x() + 5, iy), image);
        out.text = frame.adjusted(image.width() + 10, 0, 0, 0);
    } else if (direct == 0) {
        out.image = QRectF(QPointF(t.x() + text.width() + 5, iy), image);
    } else {
        out.image = QRectF(t.topLeft(), image);
    }
    return out;
}

std::optional<PieAngles> installPie(int progress)
{
    if (progress > 100)
        return std::nullopt;
    PieAngles a;
    a.sweep = (100 - std::max(progress, 0)) * 360.0 / 100.0;
    return a;
}

TokenLayout tokenLayout(const QRectF &t, const QSizeF &text, bool centred)
{
    TokenLayout out;
    const qreal tokenWidth = std::max(text.width(), TokenMinimumWidth);
    out.token = QRectF(t.x(), t.y() + (t.height() - text.height()) / 2, tokenWidth, 18);
    QRectF r(t.topLeft(), text);
    if (t.width() >= text.width() && centred)
        r.moveLeft(t.x() + (t.width() - text.width()) / 2);
    else
        r.moveLeft(t.x() + (tokenWidth - text.width()) / 2);
    r.moveTop(t.y() + (t.height() - text.height()) / 2);
    const qreal left = std::floor(r.left()), top = std::floor(r.top());
    out.text = QRectF(left, top, std::ceil(r.right()) - left, std::ceil(r.bottom()) - top);
    return out;
}

QRectF lineCellBand(const QRectF &frame)
{
    const QRectF grown = frame.adjusted(0, -1, 0, 1);
    return QRectF(frame.x(), grown.y() + grown.height() / 2, frame.width(), 1);
}

QRectF checkCellImageRect(const QRectF &f, const QSizeF &image)
{
    return QRectF(f.x() + std::trunc((f.width() - image.width()) / 2), f.y() + std::trunc((f.height() - image.height()) / 2),
                  image.width(), image.height());
}

int checkCellHitTest(const QRectF &frame, const QPointF &p)
{
    if (frame.contains(p))
        return HitTrackableArea | HitCheckBox;
    return HitNone;
}

// ---------------------------------------------------------------- thumbnails and badges

QRectF childMarkRect(const QSizeF &bounds, const QSizeF &mark)
{
    return QRectF(QPointF(bounds.width() - mark.width() - 4, 4), mark);
}

QString badgeStringForValue(quint32 value)
{
    return value > 99999 ? QString(QChar(0x221E)) : QString::number(value);
}

QString badgeLabelText(const QString &text)
{
    if (text.size() <= 5)
        return text;
    return text.left(3) + QChar(0x2026) + QChar(0x200B);
}

int badgeMaskNumber(int length)
{
    if (length <= 2)
        return 1;
    if (length == 3)
        return 3;
    if (length == 4)
        return 4;
    return 5;
}

QSizeF badgeMaskSize(const QSizeF &mask, qreal s)
{
    if (s > 0 && mask.height() > 0 && mask.height() != s)
        return QSizeF(mask.width() * s / mask.height(), s);
    return mask;
}

BadgeMetrics badgeMetrics(qreal s, const QSizeF &mask, int labelLength)
{
    if (!(s > 0))
        throw std::invalid_argument(QStringLiteral("CTBadge badgeOfSize:forString:: size (%1) must be positive")
                                        .arg(s, 0, 'f', 6)
                                        .toStdString());
    BadgeMetrics m;
    m.small = s <= 23;
    m.scale = m.small ? s / 23 : s / 46;
    m.fontSize = int(std::trunc((m.small ? 11 : 24) * m.scale));
    m.systemBoldFont = m.fontSize <= 11;
    m.shadowOffset = m.small ? std::floor(m.scale) : std::ceil(m.scale);
    m.blur = m.small ? std::ceil(m.scale) : std::ceil(2 * m.scale);
    m.shadowAlpha = m.small ? 0.6 : 0.8;
    m.gradientAngle = labelLength < 4 ? -45 : -30;
    const qreal mw = mask.width(), mh = mask.height();
    m.canvas = QSizeF(mw + 2 * m.blur, mh + 2 * m.blur - m.shadowOffset + (m.small ? 1 : 0));
    m.gradient = QRectF(m.blur, m.blur + m.shadowOffset, std::floor(mw), std::floor(mh));
    m.maskOrigin = QPointF(m.blur, m.blur + m.shadowOffset);
    return m;
}

QRectF badgeLabelRect(const BadgeMetrics &m, const QSizeF &mask, const QSizeF &label)
{
    return QRectF(m.blur + std::floor((mask.width() - label.width()) / 2),
                  m.blur + m.shadowOffset + std::floor((mask.height() - label.height()) / 2), mask.width(),
                  label.height());
}

// ---------------------------------------------------------------- image scrollers

bool scrollerArrowsTogether(const QRectF &dec, const QRectF &inc, bool horizontal)
{
    const qreal distance = horizontal ? std::abs(inc.x() - dec.x()) : std::abs(inc.y() - dec.y());
    const qreal length = horizontal ? dec.width() : dec.height();
    return distance <= length + 5;
}

QRectF scrollerEndPartRect(const QRectF &R, const QSizeF &img, bool horizontal)
{
    return horizontal ? QRectF(0, 0, img.width(), R.height()) : QRectF(0, 0, R.width(), img.height());
}

QRectF scrollerDecrementRect(const QRectF &R, const QSizeF &img, bool together, bool horizontal)
{
    if (together) {
        // Drawn extended backwards to its full length.
        return horizontal ? QRectF(R.x() - (img.width() - R.width()), R.y(), img.width(), R.height())
                          : QRectF(R.x(), R.y() - (img.height() - R.height()), R.width(), img.height());
    }
    return QRectF(R.x(), R.y(), R.width(), img.height());
}

QRectF scrollerIncrementRect(const QRectF &R, const QSizeF &img, bool together, bool horizontal)
{
    if (together)
        return R;
    return horizontal ? QRectF(R.x() - std::max<qreal>(0, img.width() - R.width()), R.y(), img.width(), R.height())
                      : QRectF(R.x(), R.y() - std::max<qreal>(0, img.height() - R.height()), R.width(), img.height());
}

KnobParts scrollerKnobParts(const QRectF &knob, const QSizeF &start, const QSizeF &middle, const QSizeF &end,
                            bool together, bool horizontal)
{
    KnobParts out;
    QRectF R = knob;
    if (horizontal) {
        out.start = QRectF(R.topLeft(), start);
        out.middle = QRectF(R.x() + start.width(), R.y(), R.width() - start.width() - end.width(), middle.height());
        out.end = QRectF(QPointF(R.x() + R.width() - end.width(), R.y()), end);
        return out;
    }
    if (together)
        R.adjust(0, 1, 0, -4);  // y + 1, height - 5
    else
        R.adjust(0, 2, 0, -2);  // y + 2, height - 4
    out.start = QRectF(R.x(), R.y(), R.width(), start.height());
    out.middle = QRectF(R.x(), R.y() + start.height(), R.width(), R.height() - start.height() - end.height());
    out.end = QRectF(R.x(), R.y() + R.height() - end.height(), R.width(), end.height());
    return out;
}

QRectF customizeDecrementRect(const QRectF &R, const QSizeF &img, bool horizontal)
{
    if (horizontal)
        return QRectF(R.x() - 4, R.y(), R.width() + 4, R.height());
    return QRectF(R.x(), R.y() + R.height() + 1 - img.height(), img.width(), img.height());
}

QRectF customizeIncrementRect(const QRectF &R, const QSizeF &img, bool horizontal)
{
    if (horizontal)
        return R;
    return QRectF(R.x(), R.y() + R.height() - img.height(), img.width(), img.height());
}

TrackParts customizeTrackParts(const QRectF &S, const QSizeF &left, qreal knobLength, bool horizontal)
{
    TrackParts out;
    if (horizontal && knobLength <= 0) {
        out.middleOnly = true;
        out.middle = S;
        return out;
    }
    if (horizontal) {
        out.middle = S;
        out.right = QRectF(S.x() + S.width() - 10, S.y(), 10, S.height());
        out.left = QRectF(0, S.y(), left.width(), S.height());
    } else {
        out.middle = QRectF(S.x(), S.y() - 10, S.width(), S.height() + 50);
        out.right = QRectF(S.x(), S.y() + S.height() - 30, S.width(), 30);
        out.left = QRectF(S.x(), S.y() + 10 - left.height(), left.width(), left.height());
    }
    return out;
}

KnobParts customizeKnobParts(const QRectF &K, const QSizeF &left, const QSizeF &right, bool horizontal)
{
    KnobParts out;
    if (horizontal) {
        out.start = QRectF(K.x() + 2, K.y(), left.width(), K.height());
        out.end = QRectF(K.x() + K.width() - right.width(), K.y(), right.width(), K.height());
        out.middle = QRectF(K.x() + 10, K.y(), K.width() - 15, K.height());
    } else {
        out.start = QRectF(K.x(), K.y() + 2, K.width(), left.height());
        out.end = QRectF(K.x(), K.y() + K.height() - right.height(), K.width(), right.height());
        out.middle = QRectF(K.x(), K.y() + 10, K.width(), K.height() - 15);
    }
    return out;
}

} // namespace TableGeometry
