#include "downloads/DownloadPageRegistration.h"

#include "downloads/DownloadViewCtrl.h"
#include "shell/ShellRegistry.h"

namespace {
std::function<std::unique_ptr<LibraryHandoff>()> &libraryFactory()
{
    static std::function<std::unique_ptr<LibraryHandoff>()> factory;
    return factory;
}
} // namespace

void setLibraryPageFactory(std::function<std::unique_ptr<LibraryHandoff>()> factory)
{
    libraryFactory() = std::move(factory);
}

void registerDownloadPage()
{
    ShellRegistry::registerPage(ShellRegistry::Download, [] {
        const auto &factory = libraryFactory();
        return std::make_unique<DownloadViewCtrl>(factory ? factory() : nullptr);
    });
}
