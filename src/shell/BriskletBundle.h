#pragma once

class QString;
class QWidget;

// The browser-extension bundle, loaded at run time when it ships with the application. The
// bundle is a Qt plug-in ("libBrisklet.so" in the resources folder or next to the program)
// whose root object answers the invokable
//   QWidget *preferenceView(QString safariName, QString chromeId, QString chromeGuideURL,
//                           QString firefoxId)
// A missing bundle, or one that answers no view, gives nullptr and reports nothing.
namespace BriskletBundle {

QWidget *preferenceView(QWidget *parent);
// The plug-in file found, or empty.
QString pluginPath();

} // namespace BriskletBundle
