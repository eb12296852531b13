#pragma once

/*
 * libCorvidash: the download engine behind Reelgrab, as a small C library.
 *
 * Callers usually open it with dlopen() and look every function up by name;
 * linking it directly works as well. Only the functions below are exported.
 *
 * Versions
 *   CORVIDASH_API_VERSION changes whenever a function, structure or code below
 *   changes meaning or layout; it is also the library's SOVERSION, so the file
 *   is libCorvidash.so.<CORVIDASH_API_VERSION>. A caller compares
 *   CorvidashApiVersion() with the number it was built against before using
 *   anything else.
 *
 * Result codes
 *   Positive codes are transfer results: they travel in download events and
 *   come back from fURLSniffingGetErrorCode(). 0 means success.
 *   Negative codes (CORVIDASH_ERROR_*) report misuse of the library itself
 *   (a null handle, a start while a run is going on). CorvidashErrorString()
 *   names both kinds.
 *
 * Ownership
 *   Handles from VantrelCreate()/URLSniffingCreate() belong to the caller and
 *   are freed with VantrelRelease()/URLSniffingRelease(). Strings passed in are
 *   copied. Strings handed out through a char** argument are the caller's and
 *   are freed with URLSniffingFreeSegmentUrl(). Strings returned directly
 *   (titles, cookie texts, the quick-sniff answer) belong to the library:
 *   URLSniffingGetTitle()/URLSniffingGetThumbnail() stay valid until the next
 *   URLSniffingStart() or URLSniffingRelease() on that handle;
 *   GetWebBrowserCookies() and SniffingOnlyUsePython() stay valid until the
 *   next call of the same function on the same thread.
 *
 * Threads
 *   One handle runs one download at a time. VantrelStart() blocks its caller
 *   until the run ends; events are delivered on that thread. VantrelStop() and
 *   VantrelSetCallback() may be called from any thread, also from inside the
 *   callback. Once VantrelSetCallback(h, NULL, NULL) returns, no event of h is
 *   running or will run. Logging functions may be called from any thread.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CORVIDASH_API_VERSION 1

#if defined(__GNUC__)
#define CORVIDASH_API __attribute__((visibility("default")))
#else
#define CORVIDASH_API
#endif

/* Library misuse, returned by functions that return int. */
#define CORVIDASH_ERROR_INVALID_HANDLE (-1)
#define CORVIDASH_ERROR_INVALID_ARGUMENT (-2)
#define CORVIDASH_ERROR_BUSY (-3)

/* Transfer results carried by events (a subset of libcurl's numbering plus the
   engine's own 1000s). */
#define CORVIDASH_OK 0
#define CORVIDASH_INVALID_URL 3          /* HTTP 404 and other 4xx, bad playlist, no media */
#define CORVIDASH_RESOLVE_FAILED 6
#define CORVIDASH_CONNECT_FAILED 7       /* refused, TLS failure */
#define CORVIDASH_ACCESS_DENIED 9        /* HTTP 401, 403, 407 */
#define CORVIDASH_SIZE_MISMATCH 18       /* body shorter or longer than announced, dropped connection */
#define CORVIDASH_WRITE_FAILED 26        /* disk full, file size limit */
#define CORVIDASH_TIMED_OUT 28           /* no data for the stall limit */
#define CORVIDASH_NO_DATA 56             /* empty reply, HTTP 5xx, receive error */
#define CORVIDASH_UNSUPPORTED_PROTOCOL 1001
#define CORVIDASH_INIT_FAILED 1002
#define CORVIDASH_MALFORMED_URL 1003
#define CORVIDASH_PROXY_FAILED 1004
#define CORVIDASH_OPERATION_TIMEOUT 1005 /* the whole sniff or playlist fetch ran out of time */
#define CORVIDASH_FILE_ERROR 1006        /* save path missing or not creatable */
#define CORVIDASH_LIVE_STREAM 1007       /* a live HLS playlist or DASH manifest: it has no end to save */
#define CORVIDASH_MEMORY_ERROR 2000

/* Event types. */
#define CORVIDASH_EVENT_ERROR 1
#define CORVIDASH_EVENT_STARTED 2
#define CORVIDASH_EVENT_PROGRESS 3
#define CORVIDASH_EVENT_FINISHED 5

/* Total of a progress event that is not known yet. */
#define CORVIDASH_TOTAL_UNKNOWN INT64_MIN

/* One download event, 24 bytes. code: the result for ERROR and FINISHED, the
   current speed in bytes per second for PROGRESS. */
typedef struct CorvidashEvent {
    int32_t type;
    int32_t code;
    int64_t downloaded;
    int64_t total;
} CorvidashEvent;

typedef void (*CorvidashCallback)(const CorvidashEvent *event, void *context);

typedef struct CorvidashDownload CorvidashDownload;
typedef struct CorvidashSniffer CorvidashSniffer;

/* Engine format numbers of a sniffed media. */
#define CORVIDASH_FORMAT_MP4 1
#define CORVIDASH_FORMAT_FLV 2
#define CORVIDASH_FORMAT_TS 3
#define CORVIDASH_FORMAT_WEBM 4
#define CORVIDASH_FORMAT_3GP 5
#define CORVIDASH_FORMAT_MP4_VIDEO 6
#define CORVIDASH_FORMAT_MP4_AUDIO 7
#define CORVIDASH_FORMAT_MP3 11
/* Engine quality numbers: 0 unknown, 1 240p, 2 360p, 3 480p, 4 720p, 5 1080p,
   6 1440p, 7 2160p. */

typedef struct CorvidashTypeInfo {
    int32_t format;
    int32_t quality;
    int32_t bitrate;      /* bits per second, 0 when unknown */
    uint8_t seekable;
    uint8_t reserved[3];
    int32_t segmentCount;
} CorvidashTypeInfo;

typedef struct CorvidashSegmentInfo {
    int64_t size;         /* bytes, 0 when unknown */
    int64_t duration;     /* seconds, 0 when unknown */
} CorvidashSegmentInfo;

typedef struct CorvidashSubtitleInfo {
    int32_t type;         /* 0 subtitles, 1 captions */
    int32_t format;       /* 0 SubRip text */
    char language[200];
    char languageCode[200];
    uint8_t isDefault;
} CorvidashSubtitleInfo;

/* The CORVIDASH_API_VERSION the library was built with. */
CORVIDASH_API int CorvidashApiVersion(void);

/* Names any result code, positive or negative. Never NULL; static text. */
CORVIDASH_API const char *CorvidashErrorString(int code);

/* Downloads. */
CORVIDASH_API CorvidashDownload *VantrelCreate(void);
CORVIDASH_API void VantrelRelease(CorvidashDownload *handle);
CORVIDASH_API void VantrelSetUrl(CorvidashDownload *handle, const char *url);
CORVIDASH_API void VantrelSetSavePath(CorvidashDownload *handle, const char *path);
CORVIDASH_API void VantrelSetUserAgent(CorvidashDownload *handle, const char *userAgent);
CORVIDASH_API void VantrelSetCookie(CorvidashDownload *handle, const char *cookie);
CORVIDASH_API void VantrelSetCallback(CorvidashDownload *handle, CorvidashCallback callback, void *context);
/* Runs one download and returns when it ended: the result code of its last
   event, CORVIDASH_OK when it was stopped, or a negative code for misuse (no
   events then). Every run that is not stopped sends one STARTED,
   PROGRESS at most four times a second, then one FINISHED or ERROR.
   resume: continue from the partial file and its control file beside the save
   path. turbo: several ranged connections (and parallel HLS segments). */
CORVIDASH_API int VantrelStart(CorvidashDownload *handle, int resume, int turbo);
/* Makes a running VantrelStart() return and waits for it. A stop that comes
   while no run is going on cancels the next start, unless a callback is set
   before it. */
CORVIDASH_API void VantrelStop(CorvidashDownload *handle);
/* Removes the partial file and its control file of the current save path. */
CORVIDASH_API void VantrelDeleteTempFiles(CorvidashDownload *handle);
/* Why the last run failed, as a sentence for the user ("The server answered 404 Not Found", "Could not
   connect to media.example", "Disk full"); "" after a success. Set before the ERROR event is
   sent, so the callback may read it; valid until the next VantrelStart() on the handle. */
CORVIDASH_API const char *VantrelGetErrorText(CorvidashDownload *handle);

/* Page sniffing. */
CORVIDASH_API CorvidashSniffer *URLSniffingCreate(void);
CORVIDASH_API void URLSniffingRelease(CorvidashSniffer *handle);
CORVIDASH_API void URLSniffingSetMacResPath(CorvidashSniffer *handle, const char *path);
CORVIDASH_API void URLSniffingSetCookie(CorvidashSniffer *handle, const char *cookie);
/* Blocks until the page was sniffed; returns the same code as
   fURLSniffingGetErrorCode(). */
CORVIDASH_API int URLSniffingStart(CorvidashSniffer *handle, const char *pageUrl, const char *userAgent);
CORVIDASH_API void URLSniffingStop(CorvidashSniffer *handle);
CORVIDASH_API int fURLSniffingGetErrorCode(CorvidashSniffer *handle);
/* Why the last sniff found nothing, as a sentence for the user ("No video found on this page",
   "Live streams are not supported", "Could not connect to media.example"); "" when it found
   media. Valid until the next URLSniffingStart() on the handle. */
CORVIDASH_API const char *URLSniffingGetErrorText(CorvidashSniffer *handle);
CORVIDASH_API int URLSniffingGetTypeCount(CorvidashSniffer *handle);
CORVIDASH_API uint8_t URLSniffingGetTypeInfo(CorvidashSniffer *handle, int typeIndex, CorvidashTypeInfo *info);
/* The type index of the sound that a picture-only type (CORVIDASH_FORMAT_MP4_VIDEO) plays with,
   as its stream names it (an HLS variant's own sound group); -1 when it names none, and any
   sound type fits. */
CORVIDASH_API int URLSniffingGetTypeSound(CorvidashSniffer *handle, int typeIndex);
/* Returns the length of *url, or -1. reserved must be 0. */
CORVIDASH_API int64_t URLSniffingGetSegmentUrl(CorvidashSniffer *handle, int typeIndex, int segmentIndex,
                                 int64_t reserved, char **url);
CORVIDASH_API void URLSniffingFreeSegmentUrl(CorvidashSniffer *handle, char **text);
CORVIDASH_API uint8_t URLSniffingGetSegmentInfo(CorvidashSniffer *handle, int typeIndex, int segmentIndex,
                                  CorvidashSegmentInfo *info);
CORVIDASH_API const char *URLSniffingGetTitle(CorvidashSniffer *handle);
CORVIDASH_API const char *URLSniffingGetThumbnail(CorvidashSniffer *handle);
CORVIDASH_API int URLSniffingGetSubtitleCount(CorvidashSniffer *handle);
CORVIDASH_API uint8_t URLSniffingGetSubtitleInfo(CorvidashSniffer *handle, int index, CorvidashSubtitleInfo *info);
CORVIDASH_API uint8_t URLSniffingGetSubtitleContent(CorvidashSniffer *handle, int index, char **content);

/* Quick sniff: a JSON text {"info":{"title","duration":"H:MM:SS"},
   "download_links":[{"url","quality","type","size"}],"subtitles":{code:{...}},
   "error":code}. The resource path is kept for compatibility; nothing is run
   from it. */
CORVIDASH_API void SetPythonRuntimeResoucePath(const char *path);
CORVIDASH_API const char *SniffingOnlyUsePython(const char *pageUrl, const char *cookies);

/* The Cookie header for pageUrl as "chrome" (or Chromium) or "firefox" of the
   user's HOME keep it; "" when the browser or its store is missing; a text
   beginning "fennix_exception:" on failure. */
CORVIDASH_API const char *GetWebBrowserCookies(const char *browser, const char *pageUrl);

/* One request for the helper's probe of an address, run on the caller's thread:
   a HEAD when range is NULL, else a GET of that range ("0-63") of which at most
   maxBytes are kept (a longer body ends the transfer there, as a success). No
   cookie and no user agent are sent; redirects are followed. Never NULL; free it
   with CorvidashProbeFree(). Added without a new API version: look it up by
   name, a library of the same version built before may lack it. */
typedef struct CorvidashProbe
{
    int32_t code;            /* 0 when an answer came, else the engine code */
    int32_t status;          /* HTTP status of the last answer; 0 when none */
    int64_t contentLength;   /* -1 when the server gives none */
    const char *contentType; /* lower-case, parameters kept; "" when none */
    const char *disposition; /* Content-Disposition as sent; "" when none */
    const char *finalUrl;    /* the address after redirects */
    const char *body;        /* bodyLength bytes, not terminated */
    int64_t bodyLength;
    uint8_t cut; /* the body went on past maxBytes */
} CorvidashProbe;
CORVIDASH_API CorvidashProbe *CorvidashProbeRun(const char *url, const char *range, int64_t maxBytes, int32_t timeoutMs);
CORVIDASH_API void CorvidashProbeFree(CorvidashProbe *probe);

/* Log file; levels 0 error, 1 warning, 2 info, 3 debug. Lines above the level
   set are dropped. Without ALogInit() nothing is written. */
CORVIDASH_API int ALogInit(const char *path);
CORVIDASH_API void ALogSetLevel(int level);
CORVIDASH_API void LogD(int level, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
CORVIDASH_API void ALogFree(void);

#ifdef __cplusplus
}
#endif
