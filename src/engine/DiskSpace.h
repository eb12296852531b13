#pragma once

#include <cstdint>

// Keeps a download from filling the disk it writes to: a run may use the file system's free
// space minus a reserve, and stops with "Disk full" before it would cross it.
//
// Two reserves: a body whose length was announced (and found to fit) may come down to
// kDefaultReserve, so a user short of room still gets a file that fits. A body of unknown length
// is only the server's to end, so it stops at the larger reserve that leaves the desktop usable:
// kDefaultOpenReserve or kOpenReservePercent of the file system, whichever is more.
//
// CORVIDASH_DISK_RESERVE and CORVIDASH_OPEN_RESERVE replace kDefaultReserve and
// kDefaultOpenReserve; CORVIDASH_FREE_BYTES and CORVIDASH_DISK_SIZE stand for the free space the
// run starts with and the file system's size, so tests can play a small or nearly full disk
// without writing one.
class DiskSpace
{
public:
    static constexpr int64_t kDefaultReserve = int64_t(256) << 20;
    static constexpr int64_t kDefaultOpenReserve = int64_t(1) << 30;
    static constexpr int kOpenReservePercent = 2;

    // fd: any open file on the file system the download writes to.
    explicit DiskSpace(int fd);

    // Bytes that may still be written before the reserve is reached (never below 0).
    int64_t room();
    // Counts bytes about to be written; false (and nothing counted) when they would cross the
    // reserve.
    bool take(int64_t bytes);
    // Counts bytes already reserved on the disk (a preallocation).
    void used(int64_t bytes);
    // The body's length is known and bounds what is written: the smaller reserve holds from now.
    void lengthKnown();
    // The reserve that holds now.
    int64_t reserve() const { return m_known ? m_reserve : m_openReserve; }

private:
    int64_t measure() const;

    int m_fd;
    int64_t m_reserve;
    int64_t m_openReserve;
    bool m_known = false;
    int64_t m_injectedFree = -1;
    int64_t m_room = 0;           // as of the last measurement, minus what was taken since
    int64_t m_takenSinceMeasure = 0;
    int64_t m_takenTotal = 0;
};
