// One download through libCorvidash's C interface, opened with dlopen() the way
// the helper opens it. The benchmark script runs it as a separate process so
// it can time it, read its peak memory and kill it mid-way.
//   corvidash_bench_fetch LIBRARY URL PATH RESUME TURBO
// Prints "result CODE bytes N seconds S maxrss_kb K" when the run ends.
// CORVIDASH_BENCH_LOG=FILE turns the engine's debug log on.
#include "engine/Corvidash.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <sys/resource.h>

namespace {

struct Engine
{
    decltype(&VantrelCreate) create = nullptr;
    decltype(&VantrelRelease) release = nullptr;
    decltype(&VantrelSetUrl) setUrl = nullptr;
    decltype(&VantrelSetSavePath) setSavePath = nullptr;
    decltype(&VantrelSetCallback) setCallback = nullptr;
    decltype(&VantrelStart) start = nullptr;
    decltype(&ALogInit) logInit = nullptr;
    decltype(&ALogSetLevel) logLevel = nullptr;
};

template <typename F>
bool bind(void *lib, const char *name, F &out)
{
    out = reinterpret_cast<F>(dlsym(lib, name));
    if (!out)
        fprintf(stderr, "missing %s\n", name);
    return out != nullptr;
}

int64_t g_bytes = 0;

void onEvent(const CorvidashEvent *event, void *)
{
    if (event->type == CORVIDASH_EVENT_PROGRESS || event->type == CORVIDASH_EVENT_FINISHED)
        g_bytes = event->downloaded;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 6) {
        fprintf(stderr, "usage: %s LIBRARY URL PATH RESUME TURBO\n", argv[0]);
        return 2;
    }
    void *lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    Engine e;
    if (!bind(lib, "VantrelCreate", e.create) || !bind(lib, "VantrelRelease", e.release) ||
        !bind(lib, "VantrelSetUrl", e.setUrl) || !bind(lib, "VantrelSetSavePath", e.setSavePath) ||
        !bind(lib, "VantrelSetCallback", e.setCallback) || !bind(lib, "VantrelStart", e.start))
        return 2;
    if (const char *log = getenv("CORVIDASH_BENCH_LOG"); log && *log && bind(lib, "ALogInit", e.logInit) &&
        bind(lib, "ALogSetLevel", e.logLevel)) {
        e.logInit(log);
        e.logLevel(3);
    }
    CorvidashDownload *h = e.create();
    e.setUrl(h, argv[2]);
    e.setSavePath(h, argv[3]);
    e.setCallback(h, onEvent, nullptr);
    const auto began = std::chrono::steady_clock::now();
    const int rc = e.start(h, atoi(argv[4]), atoi(argv[5]));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    e.setCallback(h, nullptr, nullptr);
    e.release(h);
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    printf("result %d bytes %lld seconds %.3f maxrss_kb %ld\n", rc, static_cast<long long>(g_bytes), seconds,
           ru.ru_maxrss);
    return rc == 0 ? 0 : 1;
}
