#include "EngineError.h"

#include "CurlSetup.h"
#include "engine/Corvidash.h"

namespace EngineError {

int fromCurl(CURLcode code)
{
    switch (code) {
    case CURLE_OK: return CORVIDASH_OK;
    case CURLE_UNSUPPORTED_PROTOCOL: return CORVIDASH_UNSUPPORTED_PROTOCOL;
    case CURLE_FAILED_INIT: return CORVIDASH_INIT_FAILED;
    case CURLE_URL_MALFORMAT: return CORVIDASH_MALFORMED_URL;
    case CURLE_COULDNT_RESOLVE_PROXY: return CORVIDASH_PROXY_FAILED;
    case CURLE_COULDNT_RESOLVE_HOST: return CORVIDASH_RESOLVE_FAILED;
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SEND_ERROR:
        return CORVIDASH_CONNECT_FAILED;
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_LOGIN_DENIED:
        return CORVIDASH_ACCESS_DENIED;
    case CURLE_PARTIAL_FILE:
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_RANGE_ERROR:
        return CORVIDASH_SIZE_MISMATCH;
    case CURLE_WRITE_ERROR: return CORVIDASH_WRITE_FAILED;
    case CURLE_OPERATION_TIMEDOUT: return CORVIDASH_TIMED_OUT;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_WEIRD_SERVER_REPLY:
        return CORVIDASH_NO_DATA;
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_REMOTE_FILE_NOT_FOUND:
        return CORVIDASH_INVALID_URL;
    case CURLE_OUT_OF_MEMORY: return CORVIDASH_MEMORY_ERROR;
    default: return CORVIDASH_NO_DATA;
    }
}

int fromHttpStatus(long status)
{
    if (status < 400)
        return CORVIDASH_OK;
    if (status == 401 || status == 403 || status == 407)
        return CORVIDASH_ACCESS_DENIED;
    if (status == 416)
        return CORVIDASH_SIZE_MISMATCH;
    if (status < 500)
        return CORVIDASH_INVALID_URL;
    return CORVIDASH_NO_DATA;
}

const char *text(int code)
{
    switch (code) {
    case CORVIDASH_OK: return "Success";
    case CORVIDASH_ERROR_INVALID_HANDLE: return "Invalid handle";
    case CORVIDASH_ERROR_INVALID_ARGUMENT: return "Invalid argument";
    case CORVIDASH_ERROR_BUSY: return "A download is already running on this handle";
    case CORVIDASH_INVALID_URL: return "Invalid video url";
    case CORVIDASH_RESOLVE_FAILED: return "Can't resolve host";
    case CORVIDASH_CONNECT_FAILED: return "Can't connect to server";
    case CORVIDASH_ACCESS_DENIED: return "Access denied";
    case CORVIDASH_SIZE_MISMATCH: return "File transfer was shorter or larger than expected";
    case CORVIDASH_WRITE_FAILED: return "Can't write to disk";
    case CORVIDASH_TIMED_OUT: return "Download time out";
    case CORVIDASH_NO_DATA: return "No data from peer";
    case CORVIDASH_UNSUPPORTED_PROTOCOL: return "Unsupported protocol";
    case CORVIDASH_INIT_FAILED: return "Failed to initialise";
    case CORVIDASH_MALFORMED_URL: return "Malformed url";
    case CORVIDASH_PROXY_FAILED: return "Couldn't connect to proxy";
    case CORVIDASH_OPERATION_TIMEOUT: return "Operation timeout";
    case CORVIDASH_FILE_ERROR: return "File error";
    case CORVIDASH_LIVE_STREAM: return "Live streams are not supported";
    case CORVIDASH_MEMORY_ERROR: return "Memory error";
    default: return "Unknown error";
    }
}

namespace {

struct Note
{
    int code = 0;
    long status = 0;
    std::string host;
    std::string reason; // the engine's own sentence, when the code alone would mislead
};

// A run and a sniff each stay on their caller's thread, which keeps their notes apart.
thread_local Note lastNote;

} // namespace

int failed(CURLcode result, long httpStatus, const std::string &url)
{
    const int code = result == CURLE_HTTP_RETURNED_ERROR ? fromHttpStatus(httpStatus) : fromCurl(result);
    lastNote.code = code;
    lastNote.status = result == CURLE_HTTP_RETURNED_ERROR ? httpStatus : 0;
    lastNote.host = CurlSetup::host(url);
    lastNote.reason.clear();
    // Without a memory shortage of its own, libcurl gives this for a header it will not hold.
    if (result == CURLE_OUT_OF_MEMORY)
        lastNote.reason = "The server's answer was too large";
    return code;
}

void noteReason(int code, const std::string &reason, const std::string &url)
{
    lastNote.code = code;
    lastNote.status = 0;
    lastNote.host = CurlSetup::host(url);
    lastNote.reason = reason;
}

void clearNote()
{
    lastNote = Note();
}

const char *statusPhrase(long status)
{
    switch (status) {
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 402: return "Payment Required";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 406: return "Not Acceptable";
    case 407: return "Proxy Authentication Required";
    case 408: return "Request Timeout";
    case 409: return "Conflict";
    case 410: return "Gone";
    case 411: return "Length Required";
    case 412: return "Precondition Failed";
    case 413: return "Content Too Large";
    case 414: return "URI Too Long";
    case 415: return "Unsupported Media Type";
    case 416: return "Range Not Satisfiable";
    case 417: return "Expectation Failed";
    case 418: return "I'm a teapot";
    case 421: return "Misdirected Request";
    case 422: return "Unprocessable Content";
    case 423: return "Locked";
    case 424: return "Failed Dependency";
    case 425: return "Too Early";
    case 426: return "Upgrade Required";
    case 428: return "Precondition Required";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 451: return "Unavailable For Legal Reasons";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    case 505: return "HTTP Version Not Supported";
    case 506: return "Variant Also Negotiates";
    case 507: return "Insufficient Storage";
    case 508: return "Loop Detected";
    case 510: return "Not Extended";
    case 511: return "Network Authentication Required";
    default: return "";
    }
}

std::string sentence(int code, const std::string &noSense)
{
    // The host of the last failure names the server even when a later step gave the code.
    const std::string server = lastNote.host.empty() ? std::string("the server") : lastNote.host;
    const Note note = lastNote.code == code ? lastNote : Note();
    if (note.status >= 400) {
        const std::string phrase = statusPhrase(note.status);
        return "The server answered " + std::to_string(note.status) + (phrase.empty() ? "" : " " + phrase);
    }
    if (!note.reason.empty())
        return note.reason;
    switch (code) {
    case CORVIDASH_OK: return {};
    case CORVIDASH_LIVE_STREAM: return text(code);
    case CORVIDASH_RESOLVE_FAILED:
    case CORVIDASH_CONNECT_FAILED:
    case CORVIDASH_PROXY_FAILED:
        return "Could not connect to " + server;
    case CORVIDASH_TIMED_OUT:
    case CORVIDASH_OPERATION_TIMEOUT:
        return "No answer from " + server + " in time";
    case CORVIDASH_NO_DATA: return "No data from " + server;
    case CORVIDASH_SIZE_MISMATCH: return "The server sent less than it announced";
    case CORVIDASH_ACCESS_DENIED: return "The server refused access";
    case CORVIDASH_WRITE_FAILED: return "Disk full";
    case CORVIDASH_FILE_ERROR: return "The file could not be created";
    case CORVIDASH_MALFORMED_URL: return "The address is not valid";
    case CORVIDASH_UNSUPPORTED_PROTOCOL: return "The address is not a web address";
    case CORVIDASH_INVALID_URL: return noSense;
    default: return text(code);
    }
}

} // namespace EngineError
