#pragma once

#include "shell/AttributedString.h"

#include <QString>

namespace NSAttributedStringLinkToURL {

// The title as a blue, single-underlined link to the address, elided in the middle.
AttributedString attributedStringWithLinkToURL(const QString &address, const QString &title);

} // namespace NSAttributedStringLinkToURL
