#pragma once

#include <QByteArray>
#include <QString>

// Base64 (RFC 4648, standard alphabet, "=" padding) and byte-prefix tests on data.
namespace NSDataAdditions {

// Lenient decoder for text handed over by the browser extension: characters outside the
// alphabet are skipped, decoding ends at the first "=", a final group of 2 or 3 characters
// gives 1 or 2 bytes (a lone final character gives nothing). A null string gives empty data.
// Output is never larger than three quarters of the input.
QByteArray dataWithBase64EncodedString(const QString &string);
QByteArray initWithBase64EncodedString(const QString &string);

QString base64Encoding(const QByteArray &data);
// A "\n" follows each group of four characters at which the line has reached lineLength
// (the last group included); lineLength 0 or less means one line.
QString base64EncodingWithLineLength(const QByteArray &data, int lineLength);

// False for null bytes, a count of 0 or less, or data shorter than the count.
bool hasPrefixBytes(const QByteArray &data, const void *bytes, qsizetype length);
bool hasSuffixBytes(const QByteArray &data, const void *bytes, qsizetype length);

} // namespace NSDataAdditions
