#pragma once

class QImage;
class QObject;
class QString;
class QWidget;

// The browser-extension bundle, loaded at run time when it ships with the application: a Qt
// plug-in ("libBrisklet.so" in the resources folder, beside the program or in ../lib) whose
// root object answers the invokables
//   QObject *browserExtensionInstallViewController(QImage logo, QString safariName,
//                                                  QString chromeId, QString chromeGuideURL,
//                                                  QString firefoxId)
//   QWidget *preferenceView(QString safariName, QString chromeId, QString chromeGuideURL,
//                           QString firefoxId)
// The install page controller answers view() and setIntroduceView(QWidget *). A missing
// bundle, or one that answers nothing, gives nullptr and reports nothing.
namespace BriskletBundle {

// The product's own extension: its Chromium id (from the package's key) and Firefox id.
extern const char *const SafariExtensionName;
extern const char *const ChromeExtensionId;
extern const char *const FirefoxExtensionId;

QWidget *preferenceView(QWidget *parent);
// The install page controller (its view holds it); nullptr without the bundle.
QObject *installViewController(const QImage &logo);
// The install page's view with the introduction placed inside; nullptr without the bundle.
QWidget *installView(const QImage &logo, QWidget *introduceView, QWidget *parent);
// The plug-in file found, or empty. FENNIX_BRISKLET_PATH names another file (or, when empty,
// switches the bundle off).
QString pluginPath();

} // namespace BriskletBundle
