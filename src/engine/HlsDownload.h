#pragma once

#include "DiskSpace.h"
#include "DownloadJob.h"
#include "HlsPlaylist.h"

#include <atomic>
#include <chrono>
#include <curl/curl.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Downloads every segment of an HLS media playlist, or every piece of a DASH
// representation taken as one, into one stream file: init
// sections (EXT-X-MAP) before the segments that use them, AES-128 segments
// decrypted, always written in playlist order. Several segments are fetched at
// once; a segment that fails is fetched again alone. In turbo the number of
// connections grows like a ranged download's.
// The control file records how many segments are on disk, so a resumed run
// refetches at most the segments that were in flight.
class HlsDownload
{
public:
    HlsDownload(const DownloadJob &job, const std::atomic<bool> &stop, ProgressSink &sink);
    ~HlsDownload();
    HlsDownload(const HlsDownload &) = delete;
    HlsDownload &operator=(const HlsDownload &) = delete;

    // body: the playlist text when the caller already has it, else it is fetched.
    int run(std::string body, std::string playlistUrl);
    int64_t downloaded() const { return m_bytesWritten + m_readyBytes; }
    int64_t total() const { return m_total; }

private:
    struct Transfer;
    using Clock = std::chrono::steady_clock;

    static size_t onWrite(char *data, size_t size, size_t count, void *user);
    int loadPlaylist(std::string &body, std::string &url);
    int loadManifest(const std::string &body, const std::string &url);
    void startTransfer(Transfer &t, size_t index);
    int finished(Transfer &t, CURLcode result);
    int writeReady();
    int bytesOf(const std::string &uri, int64_t length, int64_t offset, std::string &out);
    int keyFor(int keyIndex, std::string &key);
    void saveControl();
    int64_t estimateTotal() const;

    const DownloadJob &m_job;
    const std::atomic<bool> &m_stop;
    ProgressSink &m_sink;
    HlsPlaylist m_playlist;
    std::string m_partPath;
    std::string m_controlPath;
    int m_fd = -1;
    std::unique_ptr<DiskSpace> m_space;
    CURLM *m_multi = nullptr;
    std::vector<std::unique_ptr<Transfer>> m_transfers;
    std::map<size_t, std::string> m_ready;
    std::map<int, std::string> m_keys;
    std::map<size_t, int> m_failures;
    std::map<size_t, Clock::time_point> m_retryAt;
    size_t m_nextStart = 0;
    size_t m_nextWrite = 0;
    int m_lastMap = -1;
    int64_t m_bytesWritten = 0;
    int64_t m_readyBytes = 0;
    int64_t m_total = -1;
    int64_t m_bytesThisRun = 0;
};
