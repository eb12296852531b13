#pragma once

#include <QString>

// Log line writer of the download helper. Levels: 0 error, 1 warning, 2 info. Every line starts
// with its level prefix ("[ RGK ]ERROR:", "[ RGK ]WARNING:", "[ RGK ]INFO:").
enum FuncLogLevel { FuncLogError = 0, FuncLogWarning = 1, FuncLogInfo = 2 };

// The engine library's LogD(level, format, ...), set once the library is loaded; empty until then.
using LogDFunction = void (*)(int level, const char *format, ...);
extern LogDFunction fLogDFunc;

// Writes one line. May be called from any thread.
void Func(int level, const QString &text);
