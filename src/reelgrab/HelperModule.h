#pragma once

#include <QString>

// Modules the helper opens only when a job needs them (image conversion, stream copying), so
// it starts without their libraries.
namespace HelperModule {

// The module of that file name beside the running program, else in the build layout's ../lib;
// empty when neither holds it.
QString pathOf(const char *fileName);

// Opens it once for the life of the process and looks the symbol up; nullptr (with a log line
// naming what, e.g. "image module") when either fails.
void *symbol(const char *fileName, const char *what, const char *name);

} // namespace HelperModule
