#pragma once

#include "recording/ChildEnvironment.h"
#include "recording/PrivateSoundServer.h"
#include "recording/PrivateXServer.h"

// The private X server (required) and sound server (optional) a real recorder runs against,
// and the environment it inherits: that display as an X11 session, that sound server (or none)
// and an automatic take of the given length. The environment is put back at the end.
class CaptureServers
{
public:
    CaptureServers();
    bool hasDisplay() const { return m_x.isRunning(); }
    QString displayReason() const { return m_x.reason(); }
    bool hasSound() const { return m_sound.isRunning(); }
    QString display() const { return m_x.display(); }
    QString soundServer() const { return m_sound.serverString(); }
    void prepareRecorder(int autoSeconds, const QString &missingSoundServer);

private:
    // A small screen keeps the encoder real-time on a busy test machine.
    PrivateXServer m_x{QStringLiteral("640x480x24")};
    PrivateSoundServer m_sound;
    ChildEnvironment m_env;
};
