// A stand-in for the engine library: each VantrelStart plays the next scripted run, so tests
// can drive the helper through failures, progress and completions.
//
// A run is a list of steps separated by ';':
//   "start"            STARTED event
//   "progress D T S"   PROGRESS, downloaded D, total T, speed S
//   "error C"          ERROR with code C
//   "finish N"         writes N bytes to the save path, then FINISHED with code 0
//   "event T"          an event of raw type T
//   "block"            waits until VantrelStop
// Without a scripted run, a start gives "start;finish 2048".
#include "engine/Corvidash.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct State
{
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> runs;
    std::string log;
    CorvidashCallback callback = nullptr;
    void *context = nullptr;
    std::string url, savePath;
    bool stopped = false;
    int starts = 0;
    int creates = 0;
};

State &state()
{
    static State s;
    return s;
}

void note(const std::string &line)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    s.log += line + "\n";
}

void emitEvent(int type, int code, int64_t downloaded, int64_t total)
{
    State &s = state();
    CorvidashCallback cb;
    void *ctx;
    {
        std::lock_guard lock(s.mutex);
        cb = s.callback;
        ctx = s.context;
    }
    CorvidashEvent e{type, code, downloaded, total};
    if (cb)
        cb(&e, ctx);
}

int download_handle;
int sniffer_handle;

} // namespace

extern "C" {

// FAKE_API_VERSION builds the fake of another engine ABI; FAKE_NO_API_VERSION one that predates
// the version call.
#ifndef FAKE_NO_API_VERSION
CORVIDASH_API int CorvidashApiVersion(void)
{
#ifdef FAKE_API_VERSION
    return FAKE_API_VERSION;
#else
    return CORVIDASH_API_VERSION;
#endif
}
#endif

CORVIDASH_API void FakeCorvidashReset()
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    s.runs.clear();
    s.log.clear();
    s.starts = 0;
    s.stopped = false;
}

CORVIDASH_API void FakeCorvidashPushRun(const char *script)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    s.runs.emplace_back(script);
}

// The calls so far, one a line; valid until the next call.
CORVIDASH_API const char *FakeCorvidashLog()
{
    static thread_local std::string copy;
    State &s = state();
    std::lock_guard lock(s.mutex);
    copy = s.log;
    return copy.c_str();
}

CORVIDASH_API int FakeCorvidashCreates()
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    return s.creates;
}

CORVIDASH_API int FakeCorvidashStarts()
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    return s.starts;
}

CORVIDASH_API void FakeCorvidashEmit(int type, int code, int64_t downloaded, int64_t total)
{
    emitEvent(type, code, downloaded, total);
}

CORVIDASH_API CorvidashDownload *VantrelCreate(void)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    ++s.creates;
    return reinterpret_cast<CorvidashDownload *>(&download_handle);
}
CORVIDASH_API void VantrelRelease(CorvidashDownload *) {}
CORVIDASH_API void VantrelSetUrl(CorvidashDownload *, const char *url)
{
    note(std::string("url ") + url);
    std::lock_guard lock(state().mutex);
    state().url = url;
}
CORVIDASH_API void VantrelSetSavePath(CorvidashDownload *, const char *path)
{
    note(std::string("path ") + path);
    std::lock_guard lock(state().mutex);
    state().savePath = path;
}
CORVIDASH_API void VantrelSetUserAgent(CorvidashDownload *, const char *) {}
CORVIDASH_API void VantrelSetCookie(CorvidashDownload *, const char *) {}
CORVIDASH_API void VantrelSetCallback(CorvidashDownload *, CorvidashCallback callback, void *context)
{
    std::lock_guard lock(state().mutex);
    state().callback = callback;
    state().context = context;
}

CORVIDASH_API int VantrelStart(CorvidashDownload *, int resume, int turbo)
{
    State &s = state();
    std::string script;
    std::string savePath;
    {
        std::lock_guard lock(s.mutex);
        s.starts++;
        s.stopped = false;
        script = s.runs.empty() ? std::string("start;finish 2048") : s.runs.front();
        if (!s.runs.empty())
            s.runs.pop_front();
        savePath = s.savePath;
        s.log += "start resume=" + std::to_string(resume) + " turbo=" + std::to_string(turbo) + "\n";
    }
    std::stringstream steps(script);
    std::string step;
    while (std::getline(steps, step, ';')) {
        std::stringstream in(step);
        std::string op;
        in >> op;
        if (op == "start") {
            emitEvent(CORVIDASH_EVENT_STARTED, 0, 0, 0);
        } else if (op == "progress") {
            long long d = 0, t = 0, sp = 0;
            in >> d >> t >> sp;
            emitEvent(CORVIDASH_EVENT_PROGRESS, int(sp), d, t);
        } else if (op == "error") {
            int c = 0;
            in >> c;
            emitEvent(CORVIDASH_EVENT_ERROR, c, 0, 0);
            return c;
        } else if (op == "finish") {
            long long n = 0;
            in >> n;
            if (FILE *f = std::fopen(savePath.c_str(), "wb")) {
                std::vector<char> bytes(size_t(n), 'x');
                std::fwrite(bytes.data(), 1, bytes.size(), f);
                std::fclose(f);
            }
            emitEvent(CORVIDASH_EVENT_FINISHED, 0, n, n);
            return 0;
        } else if (op == "event") {
            int t = 0;
            in >> t;
            emitEvent(t, 0, 0, 0);
        } else if (op == "block") {
            std::unique_lock lock(s.mutex);
            s.changed.wait_for(lock, std::chrono::seconds(30), [&] { return s.stopped; });
            return 0;
        }
    }
    return 0;
}

CORVIDASH_API void VantrelStop(CorvidashDownload *)
{
    note("stop");
    State &s = state();
    {
        std::lock_guard lock(s.mutex);
        s.stopped = true;
    }
    s.changed.notify_all();
}

CORVIDASH_API void VantrelDeleteTempFiles(CorvidashDownload *) { note("delete-temp"); }

CORVIDASH_API CorvidashSniffer *URLSniffingCreate(void) { return reinterpret_cast<CorvidashSniffer *>(&sniffer_handle); }
CORVIDASH_API void URLSniffingRelease(CorvidashSniffer *) {}
CORVIDASH_API void URLSniffingSetMacResPath(CorvidashSniffer *, const char *) {}
CORVIDASH_API const char *GetWebBrowserCookies(const char *, const char *) { return ""; }
CORVIDASH_API void LogD(int, const char *, ...) {}

} // extern "C"
