#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <utility>

// Tells a transfer that trickles from one that moves. libcurl's own speed limit ends a silent
// transfer; this one ends a transfer whose rate stays below kDefaultRate bytes a second for a
// whole window of kDefaultWindowSeconds, which a server dripping a byte now and then never
// crosses. CORVIDASH_SLOW_SECONDS and CORVIDASH_SLOW_RATE (bytes a second) change the two, for
// tests.
class SlowTransfer
{
public:
    static constexpr int64_t kDefaultRate = 1024;
    static constexpr int kDefaultWindowSeconds = 60;
    static constexpr const char *kReason = "The server stopped sending data";

    SlowTransfer();

    // Makes this the progress function of easy (which must outlive neither) and starts afresh.
    void install(CURL *easy);
    // The transfer was ended for being too slow.
    bool tripped() const { return m_tripped; }

private:
    using Clock = std::chrono::steady_clock;

    static int onProgress(void *user, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow);
    bool tooSlow(Clock::time_point now, int64_t received);

    Clock::duration m_window;
    int64_t m_rate;
    bool m_tripped = false;
    // (when, bytes received by then), a few a second, back to the newest one a window old.
    std::deque<std::pair<Clock::time_point, int64_t>> m_samples;
};
