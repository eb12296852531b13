#pragma once

#include <QString>

// The system-sound side of a screen recording, on the user's PulseAudio or PipeWire server.
// "Installed" means a server answers and its default sink has a monitor source; that monitor
// is what the recorder captures (the "engine path"). Installing starts the user's own sound
// server when none answers and adds a null sink named after the driver only when the server
// has no sink to monitor; removing unloads only the null sinks this program added. No root,
// no shell: everything goes through libpulse. Blocking, bounded by a time-out; any thread.
class AudioCaptureDevice
{
public:
    // The names the rest of the program uses for the virtual sound card.
    static constexpr const char *DriverClassName = "com_Pellant_Driver_SonabridgeEngine";
    static constexpr const char *DriverName = "Sonabridge";
    static constexpr const char *DriverFileName = "Sonabridge.kext";

    // server: a libpulse server string ("unix:/path"); empty uses the user's default
    // (PULSE_SERVER, else the runtime folder's socket). Never spawns a server by itself.
    explicit AudioCaptureDevice(const QString &server = QString(), int timeoutMs = 2000);

    // A server answers and the default sink has a monitor source.
    bool isInstallAudioDeviceWithClassName(QString *error = nullptr) const;
    // The monitor source of the default sink; empty (with the reason) when there is none.
    QString getDefaultAuidoEnginePath(QString *error = nullptr) const;
    // Makes system sound capturable: starts the user's sound server when none answers, then
    // adds a null sink called name when the server has no sink with a monitor. False with a
    // clear reason when neither helps.
    bool installAudioDevice2(const QString &name, QString *error = nullptr) const;
    // The monitor the next recording captures, checked again now (the default sink may have
    // changed since the install); empty when there is none.
    QString launchAudioDeviceWithClassName(QString *error = nullptr) const;
    // Unloads every null sink this program added under the driver file's base name; true when
    // none is left (also when there was none). Modules it did not load are never touched.
    bool unInstallAudioDevice(const QString &driverFileName, QString *error = nullptr) const;
    // Whether a null sink this program added is loaded: what "Uninstall Virtual Sound Card"
    // would remove.
    bool hasOwnVirtualSink(const QString &name, QString *error = nullptr) const;

    // The sound server program started by installAudioDevice2 when none answers; tests point
    // it at a fake or at nothing.
    static void setSoundServerProgramForTesting(const QString &program);

private:
    QString m_server;
    int m_timeoutMs;
};
