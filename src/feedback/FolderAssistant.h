#pragma once

#include <QString>

// Working folders of the feedback job.
class FolderAssistant
{
public:
    // "<atPath>/<folder>", made with any missing parent folders (a failure to make it is not
    // reported: the copies into it then fail one by one). Empty when either is empty, or when
    // the name would climb out of atPath ("..", an absolute name).
    static QString createFolder(const QString &folder, const QString &atPath);
};
