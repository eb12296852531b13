#include "shell/SystemProcessEvent.h"

#include "platform/PowerService.h"

int SendAppleEventToSystemProcess(const QString &eventId)
{
    if (eventId == QLatin1String("shut"))
        return PowerService::shared().powerOff();
    if (eventId == QLatin1String("slep"))
        return PowerService::shared().suspend();
    return UnknownSystemEvent;
}
