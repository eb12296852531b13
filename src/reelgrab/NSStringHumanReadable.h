#pragma once

#include <QString>

// Short texts for sizes, speeds and times in the download lists, HTML reference decoding for
// page texts and percent-escaping of page addresses.
namespace NSStringHumanReadable {

// Decimal units: "1.5 KB", "1000.0 KB", "1.0 MB".
QString stringWithFilesize(qint64 bytes);
// Whole units, a unit only from 2 upwards: "1400 KB/S", "2 MB/S".
QString stringWithSpeed(qint64 bytesPerSecond);
// Localised remaining time: "%.1f hours", "%.1f minutes", "%lld seconds", "1 second".
QString stringWithSeconds(qint64 seconds);
// Clock text "mm:ss" or "hh:mm:ss" (hours not limited to two digits).
QString stringWithDuration(qint64 seconds);
// HTML character references replaced (see HtmlEntityTable).
QString stringByDecodeHtml(const QString &text);
// Percent-escaped as UTF-8 for use as a URL; "#" and the URL delimiters stay, and an existing
// escape ("%20") is kept, so escaping twice gives the same text.
QString stringByAddingPercentEscapes(const QString &text);

} // namespace NSStringHumanReadable
