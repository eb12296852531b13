#pragma once

#include <QString>

// A new universally unique identifier: 36 characters, upper-case hexadecimal, 8-4-4-4-12.
QString GUID();

// True for text of exactly that form (either case); such text is safe as a file name.
bool isGUID(const QString &text);
