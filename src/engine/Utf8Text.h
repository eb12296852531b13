#pragma once

#include <string>

namespace Utf8Text {

// Appends code point cp as UTF-8. The caller decides which code points it accepts.
void append(std::string &out, unsigned long cp);

} // namespace Utf8Text
