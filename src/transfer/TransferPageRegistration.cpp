#include "transfer/TransferPageRegistration.h"

#include "devices/DeviceTypes.h"
#include "devices/Dexmoor.h"
#include "platform/Dispatch.h"
#include "shell/ShellRegistry.h"
#include "transfer/TransferViewCtrl.h"

void registerTransferPage()
{
    ShellRegistry::registerPage(ShellRegistry::Transfer, [] { return std::make_unique<TransferViewCtrl>(); });
    ShellRegistry::registerStep(QStringLiteral("MainWindowLoaded"), [] {
        // Looking for devices starts programs (adb) and opens buses: never on the GUI thread.
        dispatch::global(dispatch::Priority::Background, [] {
            Dexmoor &manager = Dexmoor::defaultManager();
            manager.setPlatformFilter(DeviceTransferPlatform::Android | DeviceTransferPlatform::iOS);
            manager.startDexmoorListen();
        });
    });
}
