#pragma once

#include <curl/curl.h>

// Maps libcurl and HTTP failures onto the engine's result codes.
namespace EngineError {

int fromCurl(CURLcode code);
// 0 for 2xx (and 1xx/3xx, which never reach a body); an engine code otherwise.
int fromHttpStatus(long status);
const char *text(int code);

} // namespace EngineError
