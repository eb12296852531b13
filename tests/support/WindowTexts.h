#pragma once

#include <QStringList>

class QWidget;

// The texts a window shows: labels, buttons (and the "title" of drawn buttons), fields'
// placeholders, combo-box items, tool tips and window titles of the widget and its children.
namespace WindowTexts {

QStringList visibleTexts(const QWidget *root);
// The texts of visibleTexts() that are string-table keys rather than texts.
QStringList bareKeys(const QWidget *root);

} // namespace WindowTexts
