#include "downloads/DownloadPageRegistration.h"

#include "downloads/DownloadViewCtrl.h"
#include "shell/ShellRegistry.h"

void registerDownloadPage()
{
    ShellRegistry::registerPage(ShellRegistry::Download, [] { return std::make_unique<DownloadViewCtrl>(); });
}
