#include "recording/CaptureServers.h"

#include <cstdio>

CaptureServers::CaptureServers()
{
    if (m_x.isRunning() && !m_sound.isRunning())
        std::printf("no private sound server (%s): recording video only\n", qPrintable(m_sound.reason()));
}

void CaptureServers::prepareRecorder(int autoSeconds, const QString &missingSoundServer)
{
    m_env.set("DISPLAY", m_x.display());
    m_env.set("QT_QPA_PLATFORM", QStringLiteral("xcb"));
    m_env.set("XDG_SESSION_TYPE", QStringLiteral("x11"));
    m_env.unset("WAYLAND_DISPLAY");
    m_env.set("CAPVANE_AUTO_SECONDS", QString::number(autoSeconds));
    m_env.set("PULSE_SERVER", m_sound.isRunning() ? m_sound.serverString() : missingSoundServer);
}
