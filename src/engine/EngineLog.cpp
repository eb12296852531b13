#include "EngineLog.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::mutex g_mutex;
int g_fd = -1;
std::atomic<int> g_level{2};

const char *levelName(int level)
{
    switch (level) {
    case 0: return "ERROR";
    case 1: return "WARN ";
    case 2: return "INFO ";
    default: return "DEBUG";
    }
}

} // namespace

namespace EngineLog {

bool open(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::lock_guard lock(g_mutex);
    if (g_fd >= 0)
        ::close(g_fd);
    g_fd = fd;
    return true;
}

void setLevel(int level)
{
    g_level = level;
}

void close()
{
    std::lock_guard lock(g_mutex);
    if (g_fd >= 0)
        ::close(g_fd);
    g_fd = -1;
}

void write(int level, const char *format, va_list args)
{
    if (!format || level > g_level.load())
        return;
    // Format outside the lock; one write() per line keeps lines whole across
    // threads and processes appending to the same file.
    char text[4096];
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    int n = snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03ld [%ld] %s ", local.tm_year + 1900,
                     local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                     now.tv_nsec / 1000000, static_cast<long>(syscall(SYS_gettid)), levelName(level));
    if (n < 0)
        return;
    int m = vsnprintf(text + n, sizeof text - n - 1, format, args);
    if (m < 0)
        m = 0;
    size_t len = std::min(sizeof text - 2, static_cast<size_t>(n) + static_cast<size_t>(m));
    text[len++] = '\n';
    std::lock_guard lock(g_mutex);
    if (g_fd >= 0) {
        ssize_t ignored = ::write(g_fd, text, len);
        (void)ignored;
    }
}

void line(int level, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    write(level, format, args);
    va_end(args);
}

} // namespace EngineLog
