#include "controls/ControlLog.h"

#include "outside/scriblet/ScribletLogger.h"

namespace ControlLog {
void info(const QString &text)
{
    ScribletLogInfo(text);
}
} // namespace ControlLog
