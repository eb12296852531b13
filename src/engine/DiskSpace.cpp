#include "DiskSpace.h"

#include <algorithm>
#include <cstdlib>
#include <sys/statvfs.h>

namespace {

// Free space is measured again after this much was written, or sooner when the room left is
// small: other programs write to the same disk.
constexpr int64_t kMeasureEvery = int64_t(16) << 20;

int64_t envBytes(const char *name, int64_t fallback)
{
    const char *text = getenv(name);
    if (!text || !*text)
        return fallback;
    char *end = nullptr;
    const long long value = strtoll(text, &end, 10);
    return end && *end == '\0' && value >= 0 ? value : fallback;
}

} // namespace

DiskSpace::DiskSpace(int fd)
    : m_fd(fd), m_reserve(envBytes("CORVIDASH_DISK_RESERVE", kDefaultReserve)),
      m_openReserve(envBytes("CORVIDASH_OPEN_RESERVE", kDefaultOpenReserve)),
      m_injectedFree(envBytes("CORVIDASH_FREE_BYTES", -1))
{
    int64_t size = envBytes("CORVIDASH_DISK_SIZE", -1);
    struct statvfs st = {};
    if (size < 0 && ::fstatvfs(m_fd, &st) == 0)
        size = static_cast<int64_t>(st.f_blocks) * static_cast<int64_t>(st.f_frsize);
    m_openReserve = std::max({m_openReserve, m_reserve, size / 100 * kOpenReservePercent});
    m_room = measure();
}

void DiskSpace::lengthKnown()
{
    if (m_known)
        return;
    m_known = true;
    m_room = measure();
    m_takenSinceMeasure = 0;
}

int64_t DiskSpace::measure() const
{
    int64_t free = 0;
    if (m_injectedFree >= 0) {
        free = m_injectedFree - m_takenTotal;
    } else {
        struct statvfs st{};
        if (::fstatvfs(m_fd, &st) != 0)
            return INT64_MAX / 4; // unknown: the write itself reports a full disk
        free = static_cast<int64_t>(st.f_bavail) * static_cast<int64_t>(st.f_frsize);
    }
    return std::max<int64_t>(0, free - reserve());
}

int64_t DiskSpace::room()
{
    if (m_takenSinceMeasure > 0) {
        m_room = measure();
        m_takenSinceMeasure = 0;
    }
    return m_room;
}

bool DiskSpace::take(int64_t bytes)
{
    if (bytes <= 0)
        return true;
    if (m_takenSinceMeasure >= kMeasureEvery || bytes > m_room / 2) {
        m_room = measure();
        m_takenSinceMeasure = 0;
    }
    if (bytes > m_room)
        return false;
    used(bytes);
    return true;
}

void DiskSpace::used(int64_t bytes)
{
    m_room = std::max<int64_t>(0, m_room - bytes);
    m_takenSinceMeasure += bytes;
    m_takenTotal += bytes;
}
