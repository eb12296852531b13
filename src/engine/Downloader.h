#pragma once

#include "DownloadJob.h"
#include "engine/Corvidash.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// The object behind one download handle: settings for the next run, the
// callback, and the run itself with its stop.
class Downloader : public ProgressSink
{
public:
    void setUrl(const char *url);
    void setSavePath(const char *path);
    void setUserAgent(const char *userAgent);
    void setCookie(const char *cookie);
    void setCallback(CorvidashCallback callback, void *context);
    int start(bool resume, bool turbo);
    void stop();
    void deleteTempFiles();
    // Why the last run failed, in a sentence; "" after a success.
    const char *errorText() const { return m_errorText.c_str(); }

    void progress(int64_t downloaded, int64_t total) override;

private:
    using Clock = std::chrono::steady_clock;

    int runJob(DownloadJob &job, int64_t &downloaded, int64_t &total);
    void emit(int32_t type, int32_t code, int64_t downloaded, int64_t total);

    std::mutex m_configMutex;
    DownloadJob m_config;

    // Held while an event is delivered, so a detach waits for a callback in
    // progress; recursive because the callback may set the next run up.
    std::recursive_mutex m_callbackMutex;
    CorvidashCallback m_callback = nullptr;
    void *m_context = nullptr;

    std::mutex m_runMutex; // one run at a time; a next start waits for the last to return
    std::mutex m_stateMutex;
    std::condition_variable m_stateChanged;
    bool m_running = false;
    bool m_pendingStop = false;
    std::thread::id m_runThread;
    std::atomic<bool> m_stop{false};

    std::string m_errorText; // written by the run's thread before its ERROR event
    Clock::time_point m_lastProgress{};
    int64_t m_lastProgressBytes = 0;
    bool m_progressSent = false;
};
