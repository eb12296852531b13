#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// One run's settings, copied from the handle when the run starts.
struct DownloadJob
{
    std::string url;
    std::string savePath;
    std::string userAgent;
    std::string cookie;
    bool resume = false;
    bool turbo = false;
    long stallSeconds = 20;   // no byte for this long ends the run with a time-out
    int maxConnections = 32;  // per server, in turbo
};

// Where a run reports its progress; the downloader turns this into events.
class ProgressSink
{
public:
    virtual ~ProgressSink() = default;
    virtual void progress(int64_t downloaded, int64_t total) = 0;
};

// Results of a run besides the engine's codes.
namespace RunResult {
constexpr int Stopped = -1000;
constexpr int IsPlaylist = -1001;
}
