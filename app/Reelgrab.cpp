#include "reelgrab/QVWebPageSniffer.h"
#include "reelgrab/ReelgrabMain.h"

#include <QGuiApplication>

#include <unistd.h>

int main(int argc, char **argv)
{
    // A background helper: never a window, never a taskbar entry. The web page it may load to
    // find media renders off screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1"); // the engine's sandbox refuses root
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Silence before anything can play.
    ReelgrabWeb::initAudioFunc();
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Reelgrab"));
    QGuiApplication::setOrganizationDomain(QStringLiteral("com.Halvorn.ReelgrabKit"));
    QGuiApplication::setQuitOnLastWindowClosed(false);
    ReelgrabWeb::install();
    return ReelgrabMain::run(QCoreApplication::arguments());
}
