#pragma once

#include <QString>

// Address tests and clean-up used by the download and browser pages.
namespace NSStringURL {

// Percent-escapes in UTF-8; also escapes "!*'();:@&=+$,/?%#[]".
QString encodeURI(const QString &s);
// "+" becomes a blank, then percent escapes are decoded as UTF-8.
QString decodeURL(const QString &s);
// Known scheme, or a dotted name whose last part is a known top-level name or page suffix.
bool isValidURL(const QString &s);
// "http://host/" for a bare host; always ends in "/".
QString httpURL(const QString &s);
// Escapes what may not stand in an address; reserved characters and "#" stay.
QString UTF8URL(const QString &s);
// Every blank removed.
QString trimURL(const QString &s);
// "http://www.example.com" -> "example"; a text without a dot comes back whole.
QString urlTitle(const QString &s);
// Scheme and host ("http://a.b"), or the lower-cased text before its first "/".
QString urlDomain(const QString &s);
QString removeHttpPrefix(const QString &s);
// False when other is null; else compares both put through httpURL, removeHttpPrefix, lower case.
bool urlCompare(const QString &s, const QString &other);
// True for a host alone or a host with a short (under 6 characters) single path part.
bool isFirstDomain(const QString &s);

} // namespace NSStringURL
