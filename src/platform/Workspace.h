#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

// The desktop: open addresses and files, reveal files in the file manager (Trash.h moves to
// the Trash).
class Workspace
{
public:
    static bool openUrl(const QUrl &url);
    static bool openFile(const QString &path);
    // Selects the files in the file manager (org.freedesktop.FileManager1.ShowItems), or opens
    // their folder when no file manager answers.
    static bool revealInFileManager(const QStringList &paths);
    static bool openFolder(const QString &path);

    // Tests replace the desktop: every open/reveal request goes to the hook instead.
    using Hook = std::function<bool(const QString &action, const QStringList &targets)>;
    static void setHookForTesting(Hook hook);
};
