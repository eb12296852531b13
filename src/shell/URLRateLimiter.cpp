#include "shell/URLRateLimiter.h"

#include "platform/Dispatch.h"

bool URLRateLimiter::tryAccept()
{
    const qint64 now = dispatch::Clock::current().nowMs();
    if (m_hasAccepted && now - m_lastAcceptedMs < m_intervalMs)
        return false;
    m_hasAccepted = true;
    m_lastAcceptedMs = now;
    return true;
}
