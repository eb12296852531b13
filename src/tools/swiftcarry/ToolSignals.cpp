#include "tools/swiftcarry/ToolSignals.h"

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace {
std::atomic<pid_t> g_child{0};

void onTerminate(int sig)
{
    const pid_t child = g_child.load();
    if (child > 0) {
        ::kill(child, SIGKILL);
        ::kill(child, SIGCONT);
    }
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}
} // namespace

namespace ToolSignals {

void install()
{
    struct sigaction sa {};
    sa.sa_handler = onTerminate;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
}

void setChild(pid_t pid) { g_child.store(pid); }

} // namespace ToolSignals
