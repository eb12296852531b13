#pragma once

#include <QColor>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

// Layout rules of the drawn controls as pure functions. Unless a function says "flipped", its
// rectangles are in the controls' classic coordinates, whose y axis points up from the bottom
// edge; toQt() converts them once into Qt's top-down widget coordinates.
namespace ControlGeometry {

// y-up rectangle in a view of the given height → Qt rectangle.
QRectF toQt(const QRectF &upRect, qreal viewHeight);

// --- Hover button (flipped: already top-down) ---
struct HoverTitleLayout
{
    QRectF titleRect;  // where the title is drawn (its own size unless it did not fit)
    QRectF iconRect;   // empty without an icon
    bool titleFits = true;
};
HoverTitleLayout hoverTitleLayout(const QRectF &r, const QSizeF &title, const QSizeF &icon, bool hasIcon,
                                  qreal iconTitleSpace);
QRectF redOvalRect(const QRectF &frame, bool flipped);

// --- Check box (y-up) ---
struct CheckBoxLayout
{
    QRectF imageRect;
    QRectF titleArea;  // the rectangle handed to the title drawing
};
CheckBoxLayout checkBoxLayout(const QRectF &frame, const QSizeF &image);
// The title's integral rectangle inside its area for a title bounding size.
QRectF checkBoxTitleRect(const QRectF &area, const QSizeF &bounding);

// --- Switch (y-up; symmetric in y) ---
QRectF switchKnobRect(const QRectF &bounds, qreal offset);
qreal switchOffsetForKnobCentre(const QRectF &bounds, qreal centre);
bool switchStateAfterDrag(bool wasOn, qreal offset);
// A click outside the knob: the new state, or nothing when the click changes nothing.
std::optional<bool> switchClickOutsideKnob(const QRectF &bounds, qreal offset, bool isOn, qreal clickX);

// --- Link label (top-down; spans the full height) ---
enum class TextAlign { Left, Right, Other };
QRectF urlLabelActiveRect(const QRectF &bounds, qreal textWidth, TextAlign align);
QRectF urlLabelMoveOverRect(const QRectF &bounds, qreal textWidth);

// --- Background views (y-up) ---
qreal effectiveCornerRadius(qreal radius);
// The rectangle the mask bits square off, or an empty rectangle for mask 0.
QRectF squaredCornerRect(const QRectF &b, unsigned mask, qreal radius);
QRectF bottomLineRect(const QRectF &b);
QRectF topLineRect(const QRectF &b);
QRectF whiteBackgroundFillRect(const QRectF &bounds, std::optional<qreal> topBlack);

// --- Small views ---
QList<QRectF> starRects(int total, int light, const QSizeF &lightStar, const QSizeF &grayStar,
                        bool lightValid, bool grayValid);  // y-up, pen on y = 0
struct VolumeLayout
{
    QRectF track;
    QRectF knob;
    QRectF filled;
};
VolumeLayout volumeLayout(const QRectF &bar, qreal controlWidth, double value, double minimum, double maximum,
                          qreal platformKnobY);  // flipped (slider drawing runs top-down)
struct TabHeaderLayout
{
    QRectF iconRect;
    QRectF captionRect;
    bool twoLines = false;
};
TabHeaderLayout tabHeaderLayout(const QRectF &b, const QSizeF &icon, bool hasIcon, int leftPad, int rightPad,
                                const QSizeF &caption);  // y-up
QRectF imageDrawTopAligned(const QRectF &b, qreal imageHeight);  // y-up
float thinProgressValue(float requested);
QRectF thinProgressBar(const QRectF &bounds, float progress);

// --- Other buttons ---
QRectF popupPartRect(const QRectF &bounds);  // y-up, right 30 points
int popupImageIndex(bool enabled, bool highlight, bool pressed);
struct BackgroundButtonLayout
{
    QRectF iconRect;
    QRectF textArea;
};
BackgroundButtonLayout backgroundButtonLayout(const QRectF &frame, const QSizeF &iconSize, const QSizeF &icon);
struct PullDownLayout
{
    QRectF iconRect;
    QRectF arrowRect;  // empty when hidden
    QRectF titleRect;
};
PullDownLayout pullDownLayout(const QRectF &frame, const QSizeF &icon, const QSizeF &arrow, bool showArrow);

// --- Hover cell state rules ---
struct HoverStateChoice
{
    QString slice;
    std::optional<QColor> titleColor;  // nothing: the title keeps its colour
};
struct HoverCellLooks
{
    QString normal, hover, down, disable;
    std::optional<QColor> normalColor, overColor, downColor, disableColor;
};
HoverStateChoice hoverCellChoice(const HoverCellLooks &looks, bool enabled, bool mouseOver, bool mouseDown);
QString hoverIconChoice(const QString &icon, const QString &hoverIcon, const QString &downIcon, bool enabled,
                        bool mouseOver, bool mouseDown);

// Check box picture group: 0 normal, 1 hover, 2 pressed, 3 disabled (hover before pressed).
int checkBoxLook(bool enabled, bool mouseOver, bool mouseDown);

} // namespace ControlGeometry
