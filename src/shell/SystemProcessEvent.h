#pragma once

#include <QString>

// The four-character event codes the main window sends to the system: "shut" powers off,
// "slep" suspends (both through PowerService, whose status comes back); any other code is
// refused with UnknownSystemEvent.
constexpr int UnknownSystemEvent = -1;
int SendAppleEventToSystemProcess(const QString &eventId);
