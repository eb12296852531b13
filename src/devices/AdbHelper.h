#pragma once

#include <QString>
#include <QStringList>

// Runs the adb program. Arguments always go as an argument vector, never through a local
// shell; text meant for the device's shell is built with shellQuote().
class AdbHelper
{
public:
    struct Result
    {
        bool started = false;
        int exitCode = -1;
        QByteArray output;  // standard output
        QByteArray error;   // standard error
        bool ok() const { return started && exitCode == 0; }
    };

    // The adb program found on PATH (looked up on each call); empty when there is none.
    static QString adbProgram();

    // "shell settings get system screen_off_timeout" and the like: the words of a fixed
    // command (no quoting inside) run as `adb -s serial <words>`; the trimmed output. Empty
    // output means success.
    static QString pipeExecuteCmd(const QString &command, const QString &serialNumber);

    // adb [-s serial] args…; waits up to timeoutMs.
    static Result run(const QStringList &args, const QString &serialNumber = QString(), int timeoutMs = 30000);
    // Runs `adb -s serial shell <command>`; the command is one argument, already quoted.
    static Result shell(const QString &serialNumber, const QString &command, int timeoutMs = 30000);

    // text in single quotes for a POSIX shell: nothing inside is expanded.
    static QString shellQuote(const QString &text);
};
