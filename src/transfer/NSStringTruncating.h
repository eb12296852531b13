#pragma once

#include <QString>

// Shortening long file names for narrow rows.
namespace NSStringTruncating {

// The text shortened to at most maxLength characters around an ellipsis (U+2026); a text that
// fits comes back as it is, maxLength 0 gives the empty text. Characters are what the reader
// sees (grapheme clusters): an emoji, a surrogate pair or a letter with its accents is never
// cut in two. With wholeWords the cut falls between words (split at single blanks); a text
// that is one word long is cut by characters.
QString stringByTruncatingMiddleToLength(const QString &text, int maxLength, bool wholeWords);

// The number of characters in the sense above.
int characterCount(const QString &text);

} // namespace NSStringTruncating
