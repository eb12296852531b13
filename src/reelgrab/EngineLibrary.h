#pragma once

#include "engine/Corvidash.h"

#include <QString>

#include <dlfcn.h>

#include <functional>
#include <future>

#define ENGINE_LIBRARY_TEXT(x) #x
#define ENGINE_LIBRARY_NUMBER(x) ENGINE_LIBRARY_TEXT(x)

// The engine library (libCorvidash.so.<API version>) is opened at run time. It is taken only
// when its API version is the one this program was built against; its functions are then
// looked up by name when they are needed.
namespace EngineLibrary {

inline constexpr const char *FileName = "libCorvidash.so." ENGINE_LIBRARY_NUMBER(CORVIDASH_API_VERSION);

// dlopen with lazy binding; nullptr when it does not open or its CorvidashApiVersion() is
// missing or another than CORVIDASH_API_VERSION (the reason goes to *error).
void *open(const QString &path, QString *error = nullptr);
void close(void *handle);

struct Load
{
    void *handle = nullptr;
    QString error;
};

// Opens the library on a thread of its own. When startEarly began opening the same path, that
// load is taken (once) instead of starting another. whenDone runs once the load has ended: on
// the loading thread, or on the caller's when it had already ended.
std::shared_future<Load> openInBackground(const QString &path, std::function<void()> whenDone = {});

// Begins opening path at once, for a program that knows its library before anything else runs:
// the next openInBackground of that path takes this load. While the loader maps the library a
// new thread of the process only starts once it is done.
void startEarly(const QString &path);

// The default library: next to the running program (/proc/self/exe, not argv[0]), else in the
// build layout's ../lib beside it.
QString defaultPath();

template <typename F>
F symbol(void *handle, const char *name)
{
    if (!handle)
        return nullptr;
    return reinterpret_cast<F>(::dlsym(handle, name));
}

} // namespace EngineLibrary
