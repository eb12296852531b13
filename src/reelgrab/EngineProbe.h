#pragma once

#include "reelgrab/SyncHttp.h"

#include <QString>

#include <optional>

// The service's probe of an address through the engine library's HTTP client, on the calling
// thread: no hop to a network thread and no second network stack to set up at the start. The
// answer reads as SyncHttp's does. Empty when the library has no probe of its own.
namespace EngineProbe {

std::optional<SyncHttp::Response> head(void *libHandle, const QString &url, int timeoutMs);
// The first count bytes (a ranged GET; a server without ranges is cut off after them).
std::optional<SyncHttp::Response> firstBytes(void *libHandle, const QString &url, qint64 count, int timeoutMs);

} // namespace EngineProbe
