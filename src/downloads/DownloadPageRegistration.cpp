#include "downloads/DownloadPageRegistration.h"

#include "downloads/DownloadViewCtrl.h"
#include "shell/ShellRegistry.h"

namespace {
std::function<std::unique_ptr<LibraryHandoff>()> &libraryFactory()
{
    static std::function<std::unique_ptr<LibraryHandoff>()> factory;
    return factory;
}
std::function<FormatSheetHandoff *(QWidget *)> &sheetFactory()
{
    static std::function<FormatSheetHandoff *(QWidget *)> factory;
    return factory;
}
} // namespace

void setFormatSheetFactory(std::function<FormatSheetHandoff *(QWidget *parent)> factory)
{
    sheetFactory() = std::move(factory);
}

FormatSheetHandoff *makeFormatSheet(QWidget *parent)
{
    const auto &factory = sheetFactory();
    return factory ? factory(parent) : nullptr;
}

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
