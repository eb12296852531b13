#pragma once

#include <QColor>
#include <QImage>
#include <QString>

class MGHoverButton;
class QLabel;
class QVUrlLabel;
class QWidget;

// Pieces the connection flow's views are built of.
namespace ConnectViewParts {

// Green of links and of the selected guide tab.
inline const QColor Green(32, 192, 91);

// A centred line of text in the system font at `points`, black unless told.
QLabel *text(const QString &text, int points, QWidget *parent, const QColor &color = QColor(Qt::black));
// A picture at its own size.
QLabel *picture(const QImage &image, QWidget *parent);
// A link (Helvetica 13 or the given size, green) to the address under an information key; a
// help page the application ships is opened from a local copy.
QVUrlLabel *helpLink(const QString &text, const QString &infoKey, QWidget *parent, int points = 13);
// A green action button (display type 3).
MGHoverButton *actionButton(const QString &title, const QString &objectName, QWidget *parent);
// The application's name as the user sees it.
QString bundleName();

} // namespace ConnectViewParts
