#pragma once

#include <QColor>
#include <QString>

namespace ColorHex {
// "#1a2B3c" or "0x1a2b3c" (white space around allowed) → opaque colour; anything else, including
// a pair that is not hexadecimal, gives the clear colour.
QColor colorWithHexString(const QString &text);
}
