#include "outside/vexlume/LogCreator.h"

#include "outside/scriblet/ScribletLogger.h"

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
