#pragma once

class QAbstractAnimation;
class QWidget;

// Helpers for top-level windows. The "title bar" here is the strip at the top of the window that
// the custom windows draw themselves: the part of the window above its contents rectangle
// (its top contents margin), so content laid out in the window keeps clear of it.
namespace NSWindowCommon {

constexpr int MinTitleBarHeight = 22;

void closeButtonHidden(QWidget *window, bool hidden);
void miniButtonHidden(QWidget *window, bool hidden);
void zoomButtonHidden(QWidget *window, bool hidden);
// kind 0 close, 1 minimise, 2 zoom (maximise).
void standardWinBtnHidden(QWidget *window, int kind, bool hidden);

int width(const QWidget *window);
int height(const QWidget *window);

// Moves the window so it sits centred over other (an empty frame at the origin for null).
void moveToWindowCenter(QWidget *window, const QWidget *other);
// The same, then shows the window in front.
void showInWinowCenter(QWidget *window, const QWidget *other);

// A short sideways shake of a window that refused something; returns the running animation
// (owned by the window, deleted when done) or null for a null window.
QAbstractAnimation *shakeWindow(QWidget *window);

int heightOfTitleBar(const QWidget *window);
// Puts view into the title strip; a strip lower than 22 grows to 22, the window growing with it
// so the contents keep their size.
void addViewToTitleBar(QWidget *window, QWidget *view, int xPosition);
// Puts view behind the window's other children across its whole width at the top, the given
// height high; it keeps the window's width when the window is resized.
void addViewToTitleBarEX(QWidget *window, QWidget *view, int xPosition, int height);
// With fill, the contents take the whole window, title strip included.
void makeContentViewFillWindow(QWidget *window, bool fill);

} // namespace NSWindowCommon
