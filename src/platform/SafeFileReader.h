#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// Reads files that the user or another program controls (settings, stored lists, browser
// profiles, cookie stores, thumbnails, logs, a helper's inputs). A FIFO, a device, a socket or a
// folder planted under such a name would block open() or read() for ever, or feed endless
// bytes: only a regular file is read. The name is looked at with stat() before anything is
// opened, then opened without blocking and checked again on the descriptor. Every refusal is
// logged with the path and what stands there. QtCore only.
class SafeFileReader
{
public:
    enum class Links {
        Follow, // a link to a regular file is read
        Refuse, // the name itself must be the regular file (O_NOFOLLOW)
    };
    enum class Status {
        Ok,
        Missing,  // nothing at the name (not logged: callers treat it as "no file yet")
        Refused,  // not a regular file (a FIFO, folder, device, socket, dangling link)
        TooLarge, // larger than the cap the caller gave
        Failed,   // could not be opened or read (permissions, I/O)
    };
    struct Result
    {
        Status status = Status::Failed;
        QByteArray data;
        QString error; // empty for Ok and Missing
        bool ok() const { return status == Status::Ok; }
    };

    // The whole file, at most maxBytes long.
    static Result read(const QString &path, qint64 maxBytes, Links links = Links::Follow);
    // Opens file (its fileName()) read-only through a checked descriptor, for code that reads
    // a QFile in pieces. False with *error on any refusal; *status says which.
    static bool open(QFile &file, QString *error = nullptr, Links links = Links::Follow, Status *status = nullptr);
    // A descriptor (O_CLOEXEC, blocking again) to a regular file at path, or -1.
    static int openDescriptor(const QString &path, Status *status, QString *error = nullptr,
                              Links links = Links::Follow);
    // For libraries that open the name themselves (QSettings, SQLite): true when nothing is at
    // path yet or it is a regular file (or a link to one); otherwise logged and false.
    static bool isRegularOrMissing(const QString &path, QString *error = nullptr);

    // "a FIFO", "a folder", "a socket", "a character device", "a block device", "a link" —
    // what a stat mode names, for messages.
    static QString describeMode(unsigned mode);
};
