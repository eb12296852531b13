// The exported C functions of downloads and logging.
#include "engine/Corvidash.h"

#include "CurlSetup.h"
#include "Downloader.h"
#include "EngineError.h"
#include "EngineLog.h"

#include <cstdarg>
#include <new>

struct CorvidashDownload
{
    Downloader downloader;
};

extern "C" {

int CorvidashApiVersion(void)
{
    return CORVIDASH_API_VERSION;
}

const char *CorvidashErrorString(int code)
{
    return EngineError::text(code);
}

CorvidashDownload *VantrelCreate(void)
{
    CurlSetup::globalInit();
    return new (std::nothrow) CorvidashDownload;
}

void VantrelRelease(CorvidashDownload *handle)
{
    if (!handle)
        return;
    handle->downloader.setCallback(nullptr, nullptr);
    handle->downloader.stop();
    delete handle;
}

void VantrelSetUrl(CorvidashDownload *handle, const char *url)
{
    if (handle)
        handle->downloader.setUrl(url);
}

void VantrelSetSavePath(CorvidashDownload *handle, const char *path)
{
    if (handle)
        handle->downloader.setSavePath(path);
}

void VantrelSetUserAgent(CorvidashDownload *handle, const char *userAgent)
{
    if (handle)
        handle->downloader.setUserAgent(userAgent);
}

const char *VantrelGetErrorText(CorvidashDownload *handle)
{
    return handle ? handle->downloader.errorText() : "";
}

void VantrelSetCookie(CorvidashDownload *handle, const char *cookie)
{
    if (handle)
        handle->downloader.setCookie(cookie);
}

void VantrelSetCallback(CorvidashDownload *handle, CorvidashCallback callback, void *context)
{
    if (handle)
        handle->downloader.setCallback(callback, context);
}

int VantrelStart(CorvidashDownload *handle, int resume, int turbo)
{
    if (!handle)
        return CORVIDASH_ERROR_INVALID_HANDLE;
    return handle->downloader.start(resume != 0, turbo != 0);
}

void VantrelStop(CorvidashDownload *handle)
{
    if (handle)
        handle->downloader.stop();
}

void VantrelDeleteTempFiles(CorvidashDownload *handle)
{
    if (handle)
        handle->downloader.deleteTempFiles();
}

int ALogInit(const char *path)
{
    if (!path || !*path)
        return CORVIDASH_ERROR_INVALID_ARGUMENT;
    return EngineLog::open(path) ? CORVIDASH_OK : CORVIDASH_FILE_ERROR;
}

void ALogSetLevel(int level)
{
    EngineLog::setLevel(level);
}

void LogD(int level, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    EngineLog::write(level, format, args);
    va_end(args);
}

void ALogFree(void)
{
    EngineLog::close();
}

} // extern "C"
