#pragma once

#include <cstdint>

// Keeps a download from filling the disk it writes to: a run may use the file system's free
// space minus a reserve, and stops with "Disk full" before it would cross it.
//
// The reserve is CORVIDASH_DISK_RESERVE bytes when set, else kDefaultReserve.
// CORVIDASH_FREE_BYTES, when set, stands for the free space the run starts with, so tests can
// play a nearly full disk without writing one.
class DiskSpace
{
public:
    static constexpr int64_t kDefaultReserve = int64_t(256) << 20;

    // fd: any open file on the file system the download writes to.
    explicit DiskSpace(int fd);

    // Bytes that may still be written before the reserve is reached (never below 0).
    int64_t room();
    // Counts bytes about to be written; false (and nothing counted) when they would cross the
    // reserve.
    bool take(int64_t bytes);
    // Counts bytes already reserved on the disk (a preallocation).
    void used(int64_t bytes);
    int64_t reserve() const { return m_reserve; }

private:
    int64_t measure() const;

    int m_fd;
    int64_t m_reserve;
    int64_t m_injectedFree = -1;
    int64_t m_room = 0;           // as of the last measurement, minus what was taken since
    int64_t m_takenSinceMeasure = 0;
    int64_t m_takenTotal = 0;
};
