#pragma once

#include <QString>

#include <cstdint>

// Four-character codes name codecs and containers: 'avc1' is 0x61766331.
QString FourCCToString(uint32_t code);  // null string for 0
uint32_t StringToFourCC(const QString &text);  // shorter texts are padded with spaces
