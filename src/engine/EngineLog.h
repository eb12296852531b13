#pragma once

#include <cstdarg>
#include <string>

// The engine's levelled log file, shared by every handle of the process.
namespace EngineLog {

bool open(const std::string &path);
void setLevel(int level);
void close();
void write(int level, const char *format, va_list args);
void line(int level, const char *format, ...) __attribute__((format(printf, 2, 3)));

} // namespace EngineLog
