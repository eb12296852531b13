#include "downloads/PasteClickGuard.h"

#include "shell/GolobFun.h"

bool PasteClickGuard::accept()
{
    const quint32 now = quint32(GolobFun::timeGetTime());
    if (m_hasAccepted && quint32(now - m_pasteUrlTime) < IntervalMs)
        return false;
    m_hasAccepted = true;
    m_pasteUrlTime = now;
    return true;
}
