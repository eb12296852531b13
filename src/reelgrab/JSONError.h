#pragma once

#include <QString>

// Error of the JSON decoder and encoder: domain "JKErrorDomain", code -1, a message, and for
// parse errors the byte index and the line (from 1) where it happened.
struct JSONError
{
    static constexpr const char *Domain = "JKErrorDomain";
    QString domain = QString::fromLatin1(Domain);
    int code = -1;
    QString message;   // the localized description
    quint64 index = 0; // "JKAtIndexKey"
    quint64 line = 0;  // "JKLineNumberKey"
};
