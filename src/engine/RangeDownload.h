#pragma once

#include "ControlFile.h"
#include "DownloadJob.h"

#include <atomic>
#include <chrono>
#include <curl/curl.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

class ConnectionGovernor;
class DiskSpace;

// Downloads one address into "<target>.cvpart" and renames it into place when
// every byte is there. When the server takes ranges the file is preallocated
// and written in place (pwrite) in bounded pieces by one or more ranged
// connections: more when they still raise the rate, up to a polite few, or
// more in turbo. An idle connection takes the next piece of a gap; a range
// once asked for stays its connection's, so no byte comes twice unless a
// connection failed. Without ranges one connection streams it.
// Nothing outgrows the announced length or the free space above the disk's
// reserve; a failed run keeps only the bytes a resume can use.
class RangeDownload
{
public:
    RangeDownload(const DownloadJob &job, const std::atomic<bool> &stop, ProgressSink &sink);
    ~RangeDownload();
    RangeDownload(const RangeDownload &) = delete;
    RangeDownload &operator=(const RangeDownload &) = delete;

    // An engine code, RunResult::Stopped, or RunResult::IsPlaylist when the
    // address answered with an HLS playlist or a DASH manifest (see playlistBody()).
    int run();

    const std::string &playlistBody() const { return m_playlistBody; }
    const std::string &playlistUrl() const { return m_playlistUrl; }
    int64_t downloaded() const;
    int64_t total() const { return m_total; }
    int connectionsUsed() const { return m_connectionsUsed; }

private:
    struct Connection;
    using Clock = std::chrono::steady_clock;

    static size_t onHeader(char *data, size_t size, size_t count, void *user);
    static size_t onWrite(char *data, size_t size, size_t count, void *user);

    bool openPart();
    void resetToEmpty();
    bool decide(Connection &c);
    void start(Connection &c, int64_t first, int64_t end);
    void finished(Connection &c, CURLcode result);
    void schedule(Clock::time_point now);
    bool nextRange(int64_t &first, int64_t &end);
    void addDone(int64_t first, int64_t end);
    int activeCount() const;
    std::vector<std::pair<int64_t, int64_t>> written() const;
    // Every busy connection has waited on the server in the governor's current window.
    bool paced(Clock::time_point now) const;
    void saveControl();
    // Saves when enough came since the last save, or enough time passed (see kControlChunk).
    void saveControlIfDue(Clock::time_point now);
    void releaseUnusable();
    int finalize();
    int close(int code);

    const DownloadJob &m_job;
    const std::atomic<bool> &m_stop;
    ProgressSink &m_sink;
    std::string m_partPath;
    std::string m_controlPath;
    int m_fd = -1;
    CURLM *m_multi = nullptr;
    std::vector<std::unique_ptr<Connection>> m_connections;
    std::unique_ptr<ConnectionGovernor> m_governor;
    std::unique_ptr<DiskSpace> m_space;

    std::map<int64_t, int64_t> m_done; // first -> end, merged
    int64_t m_doneBytes = 0;
    int64_t m_total = -1;
    std::string m_validator;
    bool m_decided = false;
    bool m_ranges = false;
    bool m_rangeRefused = false;
    bool m_noRangeHeader = false;
    bool m_allocated = false;
    bool m_preallocated = false; // this run reserved every block of the file
    bool m_streamComplete = false;
    bool m_restart = false;
    bool m_firstBytesReported = false;
    int m_failures = 0;
    int m_error = 0;
    int m_connectionsUsed = 0;
    int m_connectionCap = 1;
    int64_t m_bytesThisRun = 0;
    Clock::time_point m_lastControl{};
    int64_t m_controlBytes = 0; // m_bytesThisRun at the last save
    std::string m_playlistBody;
    std::string m_playlistUrl;
    bool m_playlistReady = false;
};
