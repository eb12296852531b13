#include "SlowTransfer.h"

#include <cstdlib>

namespace {

long envNumber(const char *name, long fallback)
{
    const char *text = getenv(name);
    const long value = text ? atol(text) : 0;
    return value > 0 ? value : fallback;
}

} // namespace

SlowTransfer::SlowTransfer()
    : m_window(std::chrono::seconds(envNumber("CORVIDASH_SLOW_SECONDS", kDefaultWindowSeconds))),
      m_rate(envNumber("CORVIDASH_SLOW_RATE", kDefaultRate))
{
}

void SlowTransfer::install(CURL *easy)
{
    m_tripped = false;
    m_samples.clear();
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &SlowTransfer::onProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
}

int SlowTransfer::onProgress(void *user, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t)
{
    auto &self = *static_cast<SlowTransfer *>(user);
    if (self.tooSlow(Clock::now(), static_cast<int64_t>(dlnow))) {
        self.m_tripped = true;
        return 1;
    }
    return 0;
}

bool SlowTransfer::tooSlow(Clock::time_point now, int64_t received)
{
    // libcurl calls at least once a second, also while nothing arrives.
    if (m_samples.empty() || now - m_samples.back().first >= std::chrono::seconds(1) / 4)
        m_samples.emplace_back(now, received);
    while (m_samples.size() > 1 && now - m_samples[1].first >= m_window)
        m_samples.pop_front();
    const auto [since, then] = m_samples.front();
    const auto span = now - since;
    if (span < m_window)
        return false;
    const double seconds = std::chrono::duration<double>(span).count();
    return static_cast<double>(received - then) < static_cast<double>(m_rate) * seconds;
}
