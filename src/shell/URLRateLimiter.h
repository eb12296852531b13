#pragma once

#include <QtGlobal>

// Lets one plain address through per interval, counted from the last one accepted, on the
// monotonic clock of dispatch::Clock (so a change of the wall clock neither blocks nor opens it).
class URLRateLimiter
{
public:
    explicit URLRateLimiter(qint64 intervalMs = 1000) : m_intervalMs(intervalMs) {}
    // True (and remembers now) when the interval has passed since the last acceptance.
    bool tryAccept();
    qint64 intervalMs() const { return m_intervalMs; }

private:
    qint64 m_intervalMs;
    qint64 m_lastAcceptedMs = 0;
    bool m_hasAccepted = false;
};
