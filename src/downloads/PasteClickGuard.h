#pragma once

#include <QtGlobal>

// Drops a paste or "Download MP3" click that comes less than 800 ms after the last accepted
// one. Times are the tick counts of GolobFun::timeGetTime (the dispatch clock), compared as
// unsigned 32-bit differences so a wrapped counter still works.
class PasteClickGuard
{
public:
    static constexpr quint32 IntervalMs = 800;
    // True (and the time recorded) when the click is accepted.
    bool accept();
    quint32 lastAcceptedTime() const { return m_pasteUrlTime; }

private:
    quint32 m_pasteUrlTime = 0;
    bool m_hasAccepted = false;
};
