#pragma once

#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Layout and timing rules of the pop-overs, menus, flying pictures and progress views as pure
// functions. Rectangles and points are in the classic coordinates whose y axis points up
// (screen: up from a reference line; view: up from the bottom edge). upToQt() and qtToUp()
// convert once; on screen the reference line is y = 0, so a global Qt rectangle maps with a
// plain sign flip.
namespace PopoverGeometry {

QRectF upToQt(const QRectF &up, qreal height = 0);
QRectF qtToUp(const QRectF &qt, qreal height = 0);
QPointF upToQt(const QPointF &up, qreal height = 0);
QPointF qtToUp(const QPointF &qt, qreal height = 0);

// --- Attached pop-over window ---
enum AttachedSide { LeftSide = 0, BelowSide = 1, RightSide = 2, AboveSide = 3, LeftAbove = 4, LeftBelow = 5,
                    RightAbove = 6, RightBelow = 7, AboveLeft = 8, AboveRight = 9, BelowLeft = 10,
                    BelowRight = 11, AutomaticSide = 12 };

struct AttachedMetrics
{
    qreal borderWidth = 2.0;
    qreal viewMargin = 2.0;
    qreal arrowBaseWidth = 20.0;
    qreal arrowHeight = 16.0;
    qreal cornerRadius = 8.0;
    bool hasArrow = true;
    bool roundCornerBesideArrow = true;
};

qreal clampBorderWidth(qreal requested, qreal viewMargin);
qreal clampViewMargin(qreal requested);
qreal clampCornerRadius(qreal requested, qreal viewMargin, const QSizeF &viewSize, qreal arrowBaseWidth);
qreal clampArrowBaseWidth(qreal requested, qreal viewMargin, const QSizeF &viewSize, qreal cornerRadius,
                          bool roundCornerBesideArrow);
// Distance from the bubble's corner to the arrow's centre line for the corner sides.
qreal arrowInset(const AttachedMetrics &m);

struct AttachedLayout
{
    QRectF window;     // screen, y-up
    QRectF viewFrame;  // inside the window, y-up
};
AttachedLayout attachedLayout(const AttachedMetrics &m, const QSizeF &viewSize, const QPointF &anchor, int side,
                              qreal distance);
// The side chosen for automatic placement; parent is the parent window's frame, or the screen.
int bestSide(const AttachedMetrics &m, const QSizeF &viewSize, const QPointF &anchor, qreal distance,
             const QRectF &screen, const QRectF &parent);
// The bubble's outline (fill, border and arrow) in the window's y-up coordinates.
QPainterPath bubbleOutline(const AttachedMetrics &m, const QRectF &viewFrame, int side);

// --- Hand-made menus ---
// Row frame of the item placed after items of total height `offset` (y-up, window of size).
QRectF editMenuItemFrame(const QSizeF &window, qreal knobWidth, qreal offset, qreal height);
// The background view's y and height once the item at `offset` with `height` is placed.
QRectF editMenuBackgroundFrame(const QRectF &bg, const QSizeF &window, qreal offset, qreal height);
// Window frame for popUpAtPoint: top-left corner on the anchored point (screen, y-up).
QRectF editMenuPopupFrame(const QPointF &point, const QPointF &anchor, const QSizeF &size);

// --- Arrow pop view ---
int arrowPopHitRow(qreal yUp);
int arrowPopReportedRow(qreal yUp, int rowCount);
QRectF arrowPopRowRect(int i, qreal width);   // y-up
QRectF arrowPopTextRect(int i, qreal width);  // y-up

// --- Three-part button ---
QRectF threePartFitFrame(const QRectF &frame, qreal titleWidth, int orientation, int gap);

// --- Flying picture ---
constexpr double FlightSeconds = 0.8;
struct FlightFrame
{
    QPointF centre;
    QSizeF size;
    qreal opacity = 1;
};
// The media timing curve "ease in, ease out": cubic Bézier (0.42, 0), (0.58, 1).
double easeInEaseOut(double x);
QPointF cubicPoint(const QPointF &p0, const QPointF &p1, const QPointF &p2, const QPointF &p3, double t);
// The picture at `seconds` into its flight from S to T (held at its end state after 0.8 s).
FlightFrame flightAt(const QRectF &from, const QRectF &to, double seconds);

// --- Bounce ---
struct BouncePhase
{
    double scale;    // target scale
    double seconds;  // duration
};
// 0.01 → 1.25 → 0.8 → 1.0
const QList<BouncePhase> &bouncePhases();
constexpr double BounceStartScale = 0.01;
// Where a snapshot of `full` sits at scale f: same centre x, top edge kept (y-up).
QRectF bounceRect(const QRectF &full, double f);
// The window grown to twice its size around the same centre.
QRectF bounceWindow(const QRectF &frame);

// --- Sliding window (main screen of the given size, y-up) ---
QRectF slidingFrame(const QSizeF &screen, qreal currentWidth, qreal currentHeight, bool hide);

// --- Progress ---
// Fill rectangle of the flat bar (y-up); empty when nothing is filled. margins: left as x,
// bottom as y, right as width, top as height.
QRectF progressFillRect(const QRectF &bounds, const QRectF &margins, double value, double minimum, double maximum);
struct Spoke
{
    double angleDegrees;
    QPointF inner, outer;
    double alpha;
};
struct SpinnerLayout
{
    double lineWidth = 0;
    QList<Spoke> spokes;
};
int spinnerStep(double value);
SpinnerLayout spinnerLayout(const QRectF &frame, double value, bool spinning, bool flipped);
// The seek bar's track and progress (y-up).
QRectF seekTrackRect(const QRectF &bounds);
QRectF seekProgressRect(const QRectF &bounds, double value, double maximum);
double seekValueAt(qreal x, qreal width, double minimum, double maximum);
constexpr double SeekAnnounceInterval = 0.08;
bool seekShouldAnnounce(double now, double lastAnnouncement);

// --- Animation views ---
int frameIndexAt(double seconds, double cycle, int frameCount);
double circleImageAngle(double seconds);      // clockwise, one turn a second
double circleAnimationAngle(double seconds);  // eased, one turn in three seconds

} // namespace PopoverGeometry
