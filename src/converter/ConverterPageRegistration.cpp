#include "converter/ConverterPageRegistration.h"

#include "converter/ConvFromatController.h"
#include "converter/ConverterViewCtrl.h"
#include "downloads/DownloadPageRegistration.h"
#include "shell/ShellRegistry.h"

void registerConverterPage()
{
    ShellRegistry::registerPage(ShellRegistry::Convert, [] { return std::make_unique<ConverterViewCtrl>(); });
    setFormatSheetFactory([](QWidget *parent) -> FormatSheetHandoff * { return new ConvFromatController(nullptr, parent); });
}
