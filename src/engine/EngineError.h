#pragma once

#include <curl/curl.h>

#include <string>

// Maps libcurl and HTTP failures onto the engine's result codes.
namespace EngineError {

int fromCurl(CURLcode code);
// 0 for 2xx (and 1xx/3xx, which never reach a body); an engine code otherwise.
int fromHttpStatus(long status);
const char *text(int code);

// The code of a failed transfer of url (fromHttpStatus for an HTTP error, else fromCurl), noted
// for this thread with the server's answer and host, so sentence() can name them.
int failed(CURLcode result, long httpStatus, const std::string &url);
// Forgets what this thread noted: a run starts clean.
void clearNote();
// Why a run ended with code, as a sentence for the user: "The server answered 404", "Could not
// connect to media.example", "Live streams are not supported" ... noSense: the sentence for a
// code that only says the address held nothing usable.
std::string sentence(int code, const std::string &noSense);

} // namespace EngineError
