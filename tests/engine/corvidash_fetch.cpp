// Runs one download through the C interface in its own process, so tests can
// kill it mid-way or give it a file size limit.
//   corvidash_fetch URL PATH RESUME TURBO [FILE_SIZE_LIMIT]
#include "engine/Corvidash.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

static void onEvent(const CorvidashEvent *event, void *)
{
    printf("event %d %d %lld %lld\n", event->type, event->code, static_cast<long long>(event->downloaded),
           static_cast<long long>(event->total));
    fflush(stdout);
}

int main(int argc, char **argv)
{
    if (argc < 5)
        return 2;
    if (argc > 5) {
        // Writes past the limit fail with EFBIG instead of killing the process.
        signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = strtoull(argv[5], nullptr, 10);
        rlimit rl{limit, limit};
        setrlimit(RLIMIT_FSIZE, &rl);
    }
    CorvidashDownload *h = VantrelCreate();
    VantrelSetUrl(h, argv[1]);
    VantrelSetSavePath(h, argv[2]);
    VantrelSetCallback(h, onEvent, nullptr);
    const int rc = VantrelStart(h, atoi(argv[3]), atoi(argv[4]));
    VantrelRelease(h);
    printf("result %d\n", rc);
    return rc == 0 ? 0 : 1;
}
