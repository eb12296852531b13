#pragma once

#include <chrono>
#include <cstdint>

// Decides how many connections a run may use: it starts with a few, doubles
// while each step still raised the total rate clearly, and freezes once it did
// not, so a server that throttles each connection gets more of them and a fast
// one is not hammered. A server that paces every connection (sends a burst,
// then nothing for a while) is throttling each one: the rate of such bursts
// says little in a short window, so pacing alone is reason to grow, by four.
class ConnectionGovernor
{
public:
    using Clock = std::chrono::steady_clock;

    explicit ConnectionGovernor(int maximum, int initial = 1);

    int target() const { return m_target; }
    // Feeds the running byte count; call often. activeConnections is how many
    // transfers are really busy (a measurement only counts when all are).
    // paced: every busy connection has waited on the server this window (see
    // pauseWorthGrowing), learnt since the window opened.
    void sample(Clock::time_point now, int64_t bytes, int activeConnections, bool paced = false);
    // Whether a window is open; a caller tracks pacing from the moment one opens.
    bool windowOpen() const { return m_windowOpen; }
    // No data for this long in the middle of a body is the server holding back.
    static constexpr std::chrono::milliseconds pauseWorthGrowing{150};
    // No more work worth splitting: stop growing.
    void freeze() { m_growing = false; }

private:
    int m_maximum;
    int m_target;
    bool m_growing = true;
    double m_rateBefore = 0.0;
    Clock::time_point m_windowStart{};
    int64_t m_windowBytes = 0;
    bool m_windowOpen = false;
};
