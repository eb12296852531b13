#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <limits>
#include <optional>

// Layout rules of the tool bar, the tables and their cells, the badges and the image scrollers,
// as pure functions. The tool bar, the thumbnail view and the badge pictures use the classic
// y-up coordinates (convert with ControlGeometry::toQt once); tables, their cells, the header
// and the scrollers were flipped views already, so their rectangles are top-down as in Qt.
namespace TableGeometry {

// "No index", as the tool bar answers for a point on no item.
inline constexpr int NotFound = std::numeric_limits<int>::max();

// ---------------------------------------------------------------- tool bar (y-up)
enum ImagePosition { NoImage = 0, ImageOnly = 1, ImageLeft = 2, ImageRight = 3, ImageBelow = 4, ImageAbove = 5 };

struct ToolBarItemMeasure
{
    int imagePosition = ImageLeft;
    qreal margin = 5;       // the item's imageHorMargin
    QSizeF label;           // the measured label
    QSizeF image;           // the base image (empty size when there is none)
    bool hasStateImage = false;  // the selected image when selected, else the base image, exists
};
// The item's own size in a bar of the given frame size.
QSizeF toolBarItemSize(const ToolBarItemMeasure &m, const QSizeF &barFrame, int directionMode);

struct ToolBarPassItem
{
    bool visible = true;
    QSizeF size;  // the fixed item size when set, else the measured one
};
// The frames one drawing pass records: hidden items get (x, y, 0, 0) and do not move the pen.
QList<QRectF> toolBarFrames(const QList<ToolBarPassItem> &items, int showCount, int directionMode,
                            qreal boundsHeight, qreal itemMoveUpPix, qreal itemSpace);
// A frame from measured sizes alone (no item space, no hidden items skipped).
QRectF toolBarFrameAtIndex(const QList<QSizeF> &measured, int index, int directionMode);
// The first recorded frame holding the point, below showCount; NotFound otherwise.
int toolBarHitIndex(const QList<QRectF> &frames, const QPointF &point, int showCount);

struct ToolBarItemLayout
{
    QRectF image;        // where the picture goes (null when none is drawn)
    QRectF label;        // the label's rectangle (null when there is no label)
    bool sliceFillsItem = false;  // layout 4 without a picture: the state slice fills the item
    bool stateBackground = false; // layout 5: the state background fills the item first
    QRectF anchor;       // the red dot's anchor: the picture just drawn while the badge is on
};
// R the item's rectangle, L the label size, m the margin, C the present-state picture, I the base
// picture (C falls back to I, so both exist or neither).
ToolBarItemLayout toolBarItemLayout(int imagePosition, const QRectF &R, const QSizeF &L, bool hasLabel, qreal m,
                                    const QSizeF &C, const QSizeF &I, bool hasImage, bool badgeOn);
// The red "new" dot of an item of rectangle R, beside the anchor when there is room.
QRectF toolBarRedDot(const QRectF &R, const QRectF &anchor);

// ---------------------------------------------------------------- tables (top-down)
struct MenuSelection
{
    QList<int> selection;              // the selection after the click
    bool postSelectionChanged = false; // the one selected row was clicked again: listeners refresh
};
// The selection a right-click (or context click) on row leaves. A point on no row (-1, or any
// row not below rowCount) changes nothing and never becomes a selection.
MenuSelection contextMenuSelection(const QList<int> &selected, int row, int rowCount);
// Whether the list table shows its context menu at all for a click on row.
bool listTableShowsMenu(bool showWithEmptyTable, int rowCount, int row, bool hasSheet);
// Up (-1) or Down (+1) from the selected row (-1 for none): the new row, or -1 for no move.
int arrowKeyTarget(int selectedRow, int delta, int rowCount);

QPointF emptyImageOrigin(const QRectF &frame, const QSizeF &image);
bool playBarShown(int playIndex, int rowCount);
QRectF playBarRect(const QRectF &rowRect);
// Row-line variants: the odd-row line, the odd-row fill, the bottom line of every row.
bool oddRowDecorated(int row, bool hasValue);
QRectF oddRowLineRect(const QRectF &rowRect);
QRectF rowBottomLineRect(const QRectF &rowRect);
// The drag image of several rows: the count badge's place in a picture (y-up).
QPointF dragBadgeOrigin(const QSizeF &picture, const QSizeF &badge);

// ---------------------------------------------------------------- header cell (top-down)
struct HeaderLayout
{
    QRectF bottomLine;  // 1 point at the frame's bottom edge
    QRectF rest;        // the frame without it
    QRectF topLine;     // 1 point at the top edge
    QRectF divider;     // the white divider at the right edge (divider mode)
};
HeaderLayout headerLayout(const QRectF &frame);
QRectF headerTextRect(const QRectF &rest, qreal textHeight, qreal marginLeft);
QPointF headerImageOrigin(const QRectF &rest, const QSizeF &image);

// ---------------------------------------------------------------- cells (top-down)
// Hit-test flags of a cell.
enum CellHit { HitNone = 0, HitContentArea = 1, HitEditableTextArea = 2, HitTrackableArea = 4, HitCheckBox = 0x10000 };

QRectF imageAndTextTitleRect(const QRectF &bounds, qreal imageWidth);
struct ImageTextLayout
{
    QRectF image;
    QRectF text;
};
ImageTextLayout imageAndTextLayout(const QRectF &frame, const QSizeF &image, int cellType);
// A group row without image: the frame that centres its title. Never a negative height.
QRectF imageAndTextGroupFrame(const QRectF &frame, qreal titleHeight);
QRectF imageAndTextHighlightRect(const QRectF &frame);

// The text's whole-number rectangle centred vertically (and horizontally when centred and it fits).
QRectF middleTextRect(const QRectF &title, const QSizeF &text, bool centred);
QRectF middleTextSpaceTitleRect(const QRectF &title);
ImageTextLayout middleTextAndImageLayout(const QRectF &frame, const QRectF &title, const QSizeF &text,
                                         const QSizeF &image, int direct);
// The dark pie over the install image: Qt start angle and sweep in degrees, or nothing above 100.
struct PieAngles
{
    qreal start = 90;  // straight up
    qreal sweep = 0;   // counter-clockwise on screen; the part not yet done
};
std::optional<PieAngles> installPie(int progress);
inline constexpr qreal InstallPieRadius = 18;

struct TokenLayout
{
    QRectF token;
    QRectF text;
};
TokenLayout tokenLayout(const QRectF &title, const QSizeF &text, bool centred);
inline constexpr qreal TokenMinimumWidth = 50;
QRectF lineCellBand(const QRectF &frame);
QRectF checkCellImageRect(const QRectF &frame, const QSizeF &image);
int checkCellHitTest(const QRectF &frame, const QPointF &point);

// ---------------------------------------------------------------- thumbnails and badges (y-up)
inline constexpr QSizeF ThumbnailSize{126, 70};
QRectF childMarkRect(const QSizeF &bounds, const QSizeF &mark);

QString badgeStringForValue(quint32 value);
QString badgeLabelText(const QString &text);
int badgeMaskNumber(int labelLength);  // 1, 3, 4 or 5: the mask "CTBadge_<n>"
QSizeF badgeMaskSize(const QSizeF &maskImage, qreal size);
struct BadgeMetrics
{
    bool small = true;
    qreal scale = 1;
    int fontSize = 11;
    bool systemBoldFont = true;  // else a bold Helvetica-like face
    qreal shadowOffset = 1;
    qreal blur = 1;
    qreal gradientAngle = -45;
    qreal shadowAlpha = 0.6;
    QSizeF canvas;
    QRectF gradient;
    QPointF maskOrigin;
};
// Throws std::invalid_argument for a size of 0 or less.
BadgeMetrics badgeMetrics(qreal size, const QSizeF &mask, int labelLength);
QRectF badgeLabelRect(const BadgeMetrics &m, const QSizeF &mask, const QSizeF &label);

// ---------------------------------------------------------------- image scrollers (top-down)
bool scrollerArrowsTogether(const QRectF &decrement, const QRectF &increment, bool horizontal);
QRectF scrollerEndPartRect(const QRectF &decrement, const QSizeF &image, bool horizontal);
QRectF scrollerDecrementRect(const QRectF &R, const QSizeF &image, bool together, bool horizontal);
QRectF scrollerIncrementRect(const QRectF &R, const QSizeF &image, bool together, bool horizontal);
struct KnobParts
{
    QRectF start, middle, end;
};
KnobParts scrollerKnobParts(const QRectF &knob, const QSizeF &start, const QSizeF &middle, const QSizeF &end,
                            bool together, bool horizontal);

// The variant with a three-part track and one arrow set (top-down). Pictures composited at a
// point are placed by their bottom-left corner.
QRectF customizeDecrementRect(const QRectF &R, const QSizeF &image, bool horizontal);
QRectF customizeIncrementRect(const QRectF &R, const QSizeF &image, bool horizontal);
struct TrackParts
{
    QRectF left, middle, right;
    bool middleOnly = false;  // a horizontal scroller whose knob has no width
};
TrackParts customizeTrackParts(const QRectF &slot, const QSizeF &left, qreal knobLength, bool horizontal);
KnobParts customizeKnobParts(const QRectF &knob, const QSizeF &left, const QSizeF &right, bool horizontal);

} // namespace TableGeometry
