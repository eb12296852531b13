#include "controls/ControlLog.h"

#include "platform/log/ScribletLogger.h"

namespace ControlLog {
void info(const QString &text)
{
    ScribletLogInfo(text);
}
} // namespace ControlLog
