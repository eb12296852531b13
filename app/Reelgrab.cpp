#include "reelgrab/PngConverter.h"
#include "reelgrab/QVMediaSniffer.h"
#include "reelgrab/QVWebSnifferProcess.h"
#include "reelgrab/ReelgrabMain.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    // A background helper without windows: no toolkit beyond QtCore. Pages the engine library
    // cannot read are loaded by the child program beside this one, muted, and only then.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const int status = ReelgrabMain::checkCommandLine(arguments); status >= 0)
        return status;
    // Opening the engine library is the longest step of the start: it begins before anything else.
    ReelgrabMain::startEngineEarly(argc, argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Reelgrab"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("com.Halvorn.ReelgrabKit"));
    const QString child = QVWebSnifferProcess::defaultProgram();
    QVMediaSniffer::setWebViewFactory([child]() { return std::make_unique<QVWebSnifferProcess>(child); });
    QVMediaSniffer::setImageEncoder(&PngConverter::pngOf);
    return ReelgrabMain::run(QCoreApplication::arguments());
}
