#pragma once

#include <QString>
#include <QStringList>

// Entry logic of the Reelgrab helper process, shared by the program and its tests.
namespace ReelgrabMain {

struct Arguments
{
    QString clientName;      // "-c" / "-client"
    QString libraryPath;     // "-l" / "-lib"
    QString pageUrl;         // "-u" / "-url": standalone download
    QString preferencesPath; // "-p" / "-preferences"
};

// Scans argv from its second element; later options replace earlier ones, an option without a
// value and anything unknown is skipped. defaultLibrary fills an absent "-l".
Arguments parseArguments(const QStringList &argv, const QString &defaultLibrary);

// Identifier of a standalone task: the same page gives the same one, so a second run finds the
// work of a killed first one.
QString standaloneGuid(const QString &pageUrl);

// Begins opening the engine library the arguments name (see EngineLibrary::startEarly); called
// first thing in main(), before the application object exists.
void startEngineEarly(int argc, char **argv);

// Runs the helper on the current application object until it is ended; returns the exit status.
// In standalone mode it ends with the task: 0 and the final path on standard output, or 1 and
// the error on standard error.
int run(const QStringList &argv);

} // namespace ReelgrabMain
