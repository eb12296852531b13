#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Names that are not regular files, planted where a program expects one: a FIFO (open() and
// read() block for ever), a folder, a socket, a character device reached through a link (an
// endless stream) and a dangling link.
class SpecialFiles
{
public:
    enum class Kind { Fifo,
                      Folder,
                      Socket,
                      DeviceLink,
                      DanglingLink };
    struct Case
    {
        Kind kind;
        const char *name;
        const char *what; // what a refusal calls it ("a FIFO", …)
    };
    static const QList<Case> &all();

    // Puts one at path (its folder made, anything there before removed); false when it fails.
    static bool plant(Kind kind, const QString &path);

    // Runs fn on a thread of its own; true when it returns within timeoutMs. When it does not,
    // every FIFO among paths is opened for writing and closed again, so a reader stuck on it
    // ends and the test fails instead of hanging; then false.
    static bool returnsPromptly(const std::function<void()> &fn, const QStringList &paths, int timeoutMs = 10000);
};
