#pragma once

#include <QString>

// The framework's log: messages go to the application's levelled log with a type tag.
class LogCreator
{
public:
    enum Level { Error = 0, Info = 1, Debug = 2 };
    static void logMsg(const QString &message, int level, int type);
};
