#include "ConnectionGovernor.h"

#include "EngineLog.h"

#include <algorithm>

namespace {
// Long enough to see past connection set-up, short enough that a throttled
// download reaches its width within a few seconds.
constexpr auto kWindow = std::chrono::milliseconds(300);
constexpr double kGainToGrow = 1.25;
}

ConnectionGovernor::ConnectionGovernor(int maximum, int initial)
    : m_maximum(std::max(1, maximum)), m_target(std::clamp(initial, 1, std::max(1, maximum)))
{
    m_growing = m_target < m_maximum;
}

void ConnectionGovernor::sample(Clock::time_point now, int64_t bytes, int activeConnections, bool paced)
{
    if (!m_growing)
        return;
    if (activeConnections < m_target) {
        m_windowOpen = false; // not all running yet: no fair measurement
        return;
    }
    if (!m_windowOpen) {
        m_windowOpen = true;
        m_windowStart = now;
        m_windowBytes = bytes;
        return;
    }
    const auto elapsed = now - m_windowStart;
    if (elapsed < kWindow)
        return;
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const double rate = static_cast<double>(bytes - m_windowBytes) / seconds;
    m_windowOpen = false;
    if (paced) {
        const int next = std::min(m_maximum, m_target * 4);
        EngineLog::line(3, "connections %d -> %d: each is paced by the server (%.0f KiB/s)", m_target, next, rate / 1024);
        m_rateBefore = rate;
        m_target = next;
        m_growing = m_target < m_maximum;
        return;
    }
    if (m_rateBefore > 0.0 && rate < m_rateBefore * kGainToGrow) {
        EngineLog::line(3, "connections stay at %d: %.0f KiB/s after %.0f KiB/s", m_target, rate / 1024, m_rateBefore / 1024);
        m_growing = false;
        return;
    }
    EngineLog::line(3, "connections %d -> %d at %.0f KiB/s", m_target, std::min(m_maximum, m_target * 2), rate / 1024);
    m_rateBefore = rate;
    m_target = std::min(m_maximum, m_target * 2);
    if (m_target >= m_maximum)
        m_growing = false;
}
