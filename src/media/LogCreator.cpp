#include "media/LogCreator.h"

#include "platform/log/ScribletLogger.h"

void LogCreator::logMsg(const QString &message, int level, int type)
{
    const QString text = QStringLiteral("[Vexlume:%1] %2").arg(type).arg(message);
    switch (level) {
    case Error:
        ScribletLogError(text);
        break;
    case Debug:
        ScribletLogDebug(text);
        break;
    default:
        ScribletLogInfo(text);
        break;
    }
}
