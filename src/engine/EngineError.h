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
// Notes code with a sentence of its own for this thread: what the engine itself saw (a piece
// that never ended, a server that stopped sending), which no code tells apart.
void noteReason(int code, const std::string &reason, const std::string &url);
// Forgets what this thread noted: a run starts clean.
void clearNote();
// The standard phrase of an HTTP status ("Not Found"); "" for a number without one.
const char *statusPhrase(long status);
// Why a run ended with code, as a sentence for the user: "The server answered 404 Not Found", "Could not
// connect to media.example", "Live streams are not supported" ... noSense: the sentence for a
// code that only says the address held nothing usable.
std::string sentence(int code, const std::string &noSense);

} // namespace EngineError
