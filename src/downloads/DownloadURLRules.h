#pragma once

#include <QString>

// How page addresses that the user pastes or drops are cleaned before they become downloads.
namespace DownloadURLRules {

// The first line of the text when it starts with "http://" or "https://" (any case), or
// "http://" put before one that starts with "www."; empty otherwise.
QString formatMutiURL(const QString &text);
// Percent-escapes as UTF-8; characters legal in an address and "#" stay as they are.
QString escapedURL(const QString &address);
// Whether an address may be handed to the download queue: http or https with a host.
bool isDownloadableAddress(const QString &address);
// The paste road: trimmed pasteboard text, cleaned, escaped, at least 9 characters and a
// downloadable address; empty when refused.
QString pastedAddress(const QString &pasteboardText);
// The drop road: cleaned without escaping, more than 8 characters, downloadable; empty when refused.
QString droppedAddress(const QString &text);

constexpr int MinimumAddressLength = 9;

} // namespace DownloadURLRules
