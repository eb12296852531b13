#pragma once

#include "reelgrab/JSONError.h"

#include <QByteArray>
#include <QVariant>

#include <memory>

// Parse options, as bits.
enum JKParseOptionFlags : quint32 {
    JKParseOptionNone = 0,
    JKParseOptionStrict = 0,
    JKParseOptionComments = 1,                // "//" and "/* */" wherever white space may be
    JKParseOptionUnicodeNewlines = 2,         // U+0085, U+2028, U+2029 end lines too
    JKParseOptionLooseUnicode = 4,            // bad UTF-8, lone surrogates, non-characters -> U+FFFD
    JKParseOptionPermitTextAfterValidJSON = 8,
    JKParseOptionValidFlags = 0xF,
};

// Decodes UTF-8 JSON text whose top level is an array or an object into plain values:
// QVariantList, QVariantMap, QString, qlonglong (qulonglong above the signed range), double,
// bool and null (a QVariant holding std::nullptr_t). Any bad input gives an invalid QVariant and
// the first error; nesting deeper than MaxDepth is such an error, never a stack overflow.
// A decoder keeps a cache of repeated strings and numbers; use one decoder per thread.
class JSONDecoder
{
public:
    static constexpr int MaxDepth = 512;

    JSONDecoder();
    // Throws std::invalid_argument("Invalid parse options.") for options of 16 or more.
    explicit JSONDecoder(quint32 parseOptions);
    ~JSONDecoder();
    JSONDecoder(const JSONDecoder &) = delete;
    JSONDecoder &operator=(const JSONDecoder &) = delete;

    static std::unique_ptr<JSONDecoder> decoder();
    static std::unique_ptr<JSONDecoder> decoderWithParseOptions(quint32 parseOptions);

    quint32 parseOptions() const { return m_options; }

    QVariant objectWithUTF8String(const char *bytes, qsizetype length, JSONError *error = nullptr);
    QVariant objectWithData(const QByteArray &data, JSONError *error = nullptr);
    // Values are plain Qt containers, mutable either way; kept for callers written against both.
    QVariant mutableObjectWithUTF8String(const char *bytes, qsizetype length, JSONError *error = nullptr);
    QVariant mutableObjectWithData(const QByteArray &data, JSONError *error = nullptr);
    // Older names of the operations above.
    QVariant parseUTF8String(const char *bytes, qsizetype length, JSONError *error = nullptr);
    QVariant parseJSONData(const QByteArray &data, JSONError *error = nullptr);

    void clearCache();

    struct Cache;

private:
    QVariant parse(const char *bytes, qsizetype length, JSONError *error);

    quint32 m_options = 0;
    std::unique_ptr<Cache> m_cache;
};
