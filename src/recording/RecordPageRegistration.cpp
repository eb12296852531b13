#include "recording/RecordPageRegistration.h"

#include "recording/AudioCaptureDevice.h"
#include "recording/RecordViewCtrl.h"
#include "shell/AppDelegate.h"
#include "shell/ShellRegistry.h"

void registerRecordPage()
{
    ShellRegistry::registerPage(ShellRegistry::Record, [] { return std::make_unique<RecordViewCtrl>(); });
    // The menu item follows the sound server: enabled while a sink this program added is
    // loaded. The menu asks on the GUI thread, so the check is kept short.
    AppDelegate::setAudioDriverHooks(
        [] { return AudioCaptureDevice(QString(), 500).hasOwnVirtualSink(QString::fromLatin1(AudioCaptureDevice::DriverName)); },
        [] { return AudioCaptureDevice().unInstallAudioDevice(QString::fromLatin1(AudioCaptureDevice::DriverFileName)); });
}
