#pragma once

#include <QList>
#include <QPixmap>
#include <QString>

#include <functional>

class MGHoverButton;
class QLabel;
class QPainter;
class QWidget;

// The pieces the shell's question windows are made of: the round sign left of the text, the
// wrapped text itself, the buttons and their row along the bottom edge.
namespace ShellDialogParts {

// A 44-point round badge in the accent colour; drawSign paints the white sign over it.
QPixmap accentBadge(const std::function<void(QPainter &)> &drawSign);

// A word-wrapped text in the given pixel size and colour (a style-sheet colour such as "#2f3439").
QLabel *wrappedLabel(QWidget *parent, Qt::Alignment alignment, int pixelSize, const QString &color);

// A button of the window; a null title leaves the button's own.
MGHoverButton *dialogButton(QWidget *parent, const QString &objectName, int displayType,
                            const QString &title = QString());

// Lays buttons out from rightEdge leftwards, 10 apart, each at least minWidth wide (wider when
// its title needs it), all at y and height high. Hidden buttons take no place.
void placeButtonsFromRight(const QList<QWidget *> &rightToLeft, int rightEdge, int y, int minWidth, int height);

} // namespace ShellDialogParts
