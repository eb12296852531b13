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
    bool verbose = false;    // "-v" / "--verbose": a standalone run's log lines on the terminal too
    bool help = false;       // "-h" / "--help"
};

// Scans argv from its second element; later options replace earlier ones, an option without a
// value and anything unknown is skipped. defaultLibrary fills an absent "-l".
Arguments parseArguments(const QStringList &argv, const QString &defaultLibrary);

// Identifier of a standalone task: the same page gives the same one, so a second run finds the
// work of a killed first one.
QString standaloneGuid(const QString &pageUrl);

// What the command line asks before anything starts: -1 to go on; else the status to exit with,
// after the usage was printed (0 for -h/--help on standard output; 2 on standard error when the
// arguments name neither a client nor an address, so there is nothing to do).
int checkCommandLine(const QStringList &argv);

// Begins opening the engine library the arguments name (see EngineLibrary::startEarly); called
// first thing in main(), before the application object exists.
void startEngineEarly(int argc, char **argv);

// Runs the helper on the current application object until it is ended; returns the exit status.
// In standalone mode it ends with the task: 0 and the final path on standard output, or 1 and
// the reason on standard error; on a terminal the progress is shown meanwhile, and log lines go
// to the helper's log file unless -v was given.
int run(const QStringList &argv);

} // namespace ReelgrabMain
