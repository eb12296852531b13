#include "reelgrab/JSONDecoder.h"

#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <locale.h>
#include <stdexcept>
#include <stdlib.h>

namespace {

enum ValueType { StringValue = 5, SignedValue = 7, UnsignedValue = 11, DoubleValue = 13 };

// Tokens longer than this are not cached, so a hostile input cannot pin megabytes in the cache.
constexpr qsizetype MaxCachedTokenBytes = 1024;
constexpr quint32 CacheBuckets = 1024;

quint32 tokenHash(const uchar *bytes, qsizetype length)
{
    quint32 h = 1402737925u;
    for (qsizetype i = 0; i < length; ++i)
        h = (h >> 19) ^ (h * 33u + quint32(bytes[i]) - 29u);
    return h;
}

locale_t cLocale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return loc;
}

QVariant nullValue()
{
    return QVariant::fromValue(nullptr);
}

bool isNonCharacter(char32_t cp)
{
    return (cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE;
}

void appendUtf8(QByteArray &out, char32_t cp)
{
    if (cp < 0x80) {
        out.append(char(cp));
    } else if (cp < 0x800) {
        out.append(char(0xC0 | (cp >> 6)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.append(char(0xE0 | (cp >> 12)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else {
        out.append(char(0xF0 | (cp >> 18)));
        out.append(char(0x80 | ((cp >> 12) & 0x3F)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    }
}

enum class Utf8 { Ok, Invalid, Truncated };

// Decodes one well-formed UTF-8 sequence (no overlong forms, no surrogates, at most U+10FFFF).
// On failure `length` is the number of bytes to skip.
Utf8 decodeUtf8(const uchar *p, qsizetype avail, char32_t &cp, int &length)
{
    const uchar b = p[0];
    int need;
    uchar lo = 0x80, hi = 0xBF;
    if (b < 0x80) {
        cp = b;
        length = 1;
        return Utf8::Ok;
    } else if (b >= 0xC2 && b <= 0xDF) {
        need = 1;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        need = 2;
        cp = b & 0x0F;
        if (b == 0xE0)
            lo = 0xA0;
        else if (b == 0xED)
            hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        need = 3;
        cp = b & 0x07;
        if (b == 0xF0)
            lo = 0x90;
        else if (b == 0xF4)
            hi = 0x8F;
    } else {
        length = 1;
        return Utf8::Invalid;
    }
    for (int k = 1; k <= need; ++k) {
        if (k >= avail) {
            length = k;
            return Utf8::Truncated;
        }
        const uchar c = p[k];
        if (c < lo || c > hi) {
            length = k;
            return Utf8::Invalid;
        }
        lo = 0x80;
        hi = 0xBF;
        cp = (cp << 6) | (c & 0x3F);
    }
    length = need + 1;
    return Utf8::Ok;
}

int hexValue(uchar c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

struct JSONDecoder::Cache
{
    struct Bucket
    {
        QVariant object;
        QByteArray bytes;
        quint32 hash = 0;
        int type = 0;
        bool used = false;
    };
    std::array<Bucket, CacheBuckets> buckets;

    template <typename Make>
    QVariant lookup(int type, const uchar *bytes, qsizetype length, Make make)
    {
        if (length == 0 || length > MaxCachedTokenBytes)
            return make();
        const quint32 hash = tokenHash(bytes, length);
        const QByteArrayView view(bytes, length);
        Bucket *target = nullptr;
        for (quint32 k = 0; k < 4; ++k) {
            const quint32 index = k == 0 ? hash % CacheBuckets
                                         : (quint32(length + type + 3) * k + hash) % CacheBuckets;
            Bucket &b = buckets[index];
            if (!b.used) {
                target = &b;
                break;
            }
            if (b.hash == hash && b.type == type && b.bytes.size() == length && b.bytes == view)
                return b.object;
        }
        if (!target)
            target = &buckets[hash % CacheBuckets];
        QVariant object = make();
        if (!object.isValid())
            return object;
        target->object = object;
        target->bytes = QByteArray(reinterpret_cast<const char *>(bytes), length);
        target->hash = hash;
        target->type = type;
        target->used = true;
        return object;
    }

    void clear()
    {
        for (Bucket &b : buckets)
            b = Bucket();
    }
};

namespace {

enum class Tok { End, Error, Number, String, ObjectBegin, ObjectEnd, ArrayBegin, ArrayEnd, Colon, Comma, True, False, Null };

class Parser
{
public:
    Parser(const uchar *p, qsizetype n, quint32 options, JSONDecoder::Cache &cache)
        : m_p(p), m_n(n), m_options(options), m_cache(cache)
    {
    }

    QVariant run()
    {
        skipWhitespace();
        markToken();
        if (m_i >= m_n) {
            fail(QStringLiteral("Reached the end of the buffer."));
            return {};
        }
        if (m_p[m_i] != '[' && m_p[m_i] != '{') {
            fail(QStringLiteral("Expected either '[' or '{'."));
            return {};
        }
        const Tok first = next();
        QVariant value = first == Tok::ArrayBegin ? parseArray(1) : parseObject(1);
        if (m_error)
            return {};
        skipWhitespace();
        if (m_i < m_n && !(m_options & JKParseOptionPermitTextAfterValidJSON)) {
            markToken();
            fail(QStringLiteral("A valid JSON object was parsed but there were additional non-white-space characters remaining."));
            return {};
        }
        return value;
    }

    const std::optional<JSONError> &error() const { return m_error; }

private:
    void fail(const QString &message)
    {
        if (m_error)
            return;
        JSONError e;
        e.message = message;
        e.index = quint64(m_tokStart);
        e.line = quint64(m_tokLine);
        m_error = e;
    }

    void markToken()
    {
        m_tokStart = m_i;
        m_tokLine = m_line;
    }

    void newLine() { ++m_line; }

    // Skips white space, line ends and (with the option) comments.
    void skipWhitespace()
    {
        while (m_i < m_n) {
            const uchar c = m_p[m_i];
            if (c == ' ' || c == '\t') {
                ++m_i;
            } else if (c == '\n') {
                ++m_i;
                newLine();
            } else if (c == '\r') {
                ++m_i;
                if (m_i < m_n && m_p[m_i] == '\n')
                    ++m_i;
                newLine();
            } else if (int len = unicodeNewline(m_i)) {
                m_i += len;
                newLine();
            } else if (c == '/' && (m_options & JKParseOptionComments) && m_i + 1 < m_n
                       && (m_p[m_i + 1] == '/' || m_p[m_i + 1] == '*')) {
                if (m_p[m_i + 1] == '/') {
                    m_i += 2;
                    while (m_i < m_n && m_p[m_i] != '\n' && m_p[m_i] != '\r' && !unicodeNewline(m_i))
                        ++m_i;
                } else {
                    m_i += 2;
                    while (m_i < m_n && !(m_p[m_i] == '*' && m_i + 1 < m_n && m_p[m_i + 1] == '/')) {
                        if (m_p[m_i] == '\n' || (m_p[m_i] == '\r' && !(m_i + 1 < m_n && m_p[m_i + 1] == '\n')))
                            newLine();
                        ++m_i;
                    }
                    m_i = std::min(m_i + 2, m_n);
                }
            } else {
                break;
            }
        }
    }

    int unicodeNewline(qsizetype at) const
    {
        if (!(m_options & JKParseOptionUnicodeNewlines))
            return 0;
        if (at + 1 < m_n && m_p[at] == 0xC2 && m_p[at + 1] == 0x85)
            return 2;
        if (at + 2 < m_n && m_p[at] == 0xE2 && m_p[at + 1] == 0x80 && (m_p[at + 2] == 0xA8 || m_p[at + 2] == 0xA9))
            return 3;
        return 0;
    }

    Tok next()
    {
        skipWhitespace();
        markToken();
        if (m_i >= m_n)
            return Tok::End;
        const uchar c = m_p[m_i];
        switch (c) {
        case '{': ++m_i; return Tok::ObjectBegin;
        case '}': ++m_i; return Tok::ObjectEnd;
        case '[': ++m_i; return Tok::ArrayBegin;
        case ']': ++m_i; return Tok::ArrayEnd;
        case ':': ++m_i; return Tok::Colon;
        case ',': ++m_i; return Tok::Comma;
        case '"': return parseString() ? Tok::String : Tok::Error;
        case 't': if (literal("true")) return Tok::True; break;
        case 'f': if (literal("false")) return Tok::False; break;
        case 'n': if (literal("null")) return Tok::Null; break;
        default:
            if (c == '-' || (c >= '0' && c <= '9'))
                return parseNumber() ? Tok::Number : Tok::Error;
            break;
        }
        fail(QStringLiteral("Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', '\"STRING\"', 'NUMBER'."));
        return Tok::Error;
    }

    // A literal needs one more byte of input after it.
    bool literal(const char *word)
    {
        const qsizetype len = qsizetype(std::strlen(word));
        if (m_n - m_i <= len || std::memcmp(m_p + m_i, word, size_t(len)) != 0)
            return false;
        m_i += len;
        return true;
    }

    QString tokenText() const
    {
        return QString::fromUtf8(reinterpret_cast<const char *>(m_p + m_tokStart), m_i - m_tokStart);
    }

    static bool isValueToken(Tok t)
    {
        switch (t) {
        case Tok::Number: case Tok::String: case Tok::True: case Tok::False: case Tok::Null:
        case Tok::ArrayBegin: case Tok::ObjectBegin:
            return true;
        default:
            return false;
        }
    }

    QVariant valueFor(Tok t, int depth)
    {
        switch (t) {
        case Tok::Number:
        case Tok::String: return m_value;
        case Tok::True: return QVariant(true);
        case Tok::False: return QVariant(false);
        case Tok::Null: return nullValue();
        case Tok::ArrayBegin: return parseArray(depth + 1);
        case Tok::ObjectBegin: return parseObject(depth + 1);
        default: return {};
        }
    }

    void failAccept(bool first, bool second, bool third, const char *a, const char *b, const char *c)
    {
        QStringList accept;
        if (first)
            accept << QString::fromLatin1(a);
        if (second)
            accept << QString::fromLatin1(b);
        if (third)
            accept << QString::fromLatin1(c);
        const QString tok = tokenText();
        if (accept.size() == 1)
            fail(QStringLiteral("Expected %1, not '%2'").arg(accept[0], tok));
        else if (accept.size() == 2)
            fail(QStringLiteral("Expected %1 or %2, not '%3'").arg(accept[0], accept[1], tok));
        else
            fail(QStringLiteral("Expected %1, %2, or %3, not '%4").arg(accept[0], accept[1], accept[2], tok));
    }

    bool enter(int depth)
    {
        if (depth <= JSONDecoder::MaxDepth)
            return true;
        fail(QStringLiteral("Internal error: Unable to resize objects array."));
        return false;
    }

    void endOfBufferOr(Tok t)
    {
        if (t == Tok::End)
            fail(QStringLiteral("Reached the end of the buffer."));
    }

    QVariant parseArray(int depth)
    {
        if (!enter(depth))
            return {};
        enum { Value = 1, Comma = 2, End = 4 };
        int state = Value | End;
        QVariantList list;
        for (;;) {
            const Tok t = next();
            if (t == Tok::End || t == Tok::Error) {
                endOfBufferOr(t);
                return {};
            }
            if (isValueToken(t)) {
                if (!(state & Value)) {
                    fail(QStringLiteral("Unexpected value."));
                    return {};
                }
                QVariant v = valueFor(t, depth);
                if (m_error)
                    return {};
                list.append(std::move(v));
                state = Comma | End;
            } else if (t == Tok::ArrayEnd) {
                if (!(state & End)) {
                    fail(QStringLiteral("Unexpected ']'."));
                    return {};
                }
                return list;
            } else if (t == Tok::Comma) {
                if (!(state & Comma)) {
                    fail(QStringLiteral("Unexpected ','."));
                    return {};
                }
                state = Value;
            } else {
                failAccept(state & Value, state & Comma, state & End, "a value", "a comma", "a ']'");
                return {};
            }
        }
    }

    QVariant parseObject(int depth)
    {
        if (!enter(depth))
            return {};
        enum { Key = 1, Colon = 2, Value = 4, Comma = 8, End = 16 };
        int state = Key | End;
        QVariantMap map;
        QString key;
        for (;;) {
            const Tok t = next();
            if (t == Tok::End || t == Tok::Error) {
                endOfBufferOr(t);
                return {};
            }
            if (state == Colon) {
                if (t != Tok::Colon) {
                    fail(QStringLiteral("Expected ':'."));
                    return {};
                }
                state = Value;
            } else if (t == Tok::String && (state & Key)) {
                key = m_value.toString();
                state = Colon;
            } else if (isValueToken(t)) {
                if (!(state & Value)) {
                    fail(t == Tok::String ? QStringLiteral("Unexpected string.") : QStringLiteral("Unexpected value."));
                    return {};
                }
                QVariant v = valueFor(t, depth);
                if (m_error)
                    return {};
                map.insert(key, std::move(v)); // a later duplicate replaces the earlier one
                state = Comma | End;
            } else if (t == Tok::ObjectEnd) {
                if (!(state & End)) {
                    fail(QStringLiteral("Unexpected '}'."));
                    return {};
                }
                return map;
            } else if (t == Tok::Comma) {
                if (!(state & Comma)) {
                    fail(QStringLiteral("Unexpected ','."));
                    return {};
                }
                state = Key;
            } else if (state == Value) {
                failAccept(true, false, false, "a value", "", "");
                return {};
            } else {
                failAccept(state & Key, state & Comma, state & End, "a \"STRING\"", "a comma", "a '}'");
                return {};
            }
        }
    }

    // Appends U+FFFD under loose Unicode, else fails with message; returns whether to go on.
    bool badUnicode(QByteArray &out, const QString &message)
    {
        if (m_options & JKParseOptionLooseUnicode) {
            appendUtf8(out, 0xFFFD);
            return true;
        }
        fail(message);
        return false;
    }

    bool readHex4(qsizetype at, char32_t &value)
    {
        if (at + 4 > m_n) {
            m_i = m_n;
            fail(QStringLiteral("Reached the end of the buffer."));
            return false;
        }
        value = 0;
        for (int k = 0; k < 4; ++k) {
            const int h = hexValue(m_p[at + k]);
            if (h < 0) {
                const uchar bad = m_p[at + k];
                fail(QStringLiteral("Unexpected character found in \\u Unicode escape sequence.  Found '%1', expected [0-9a-fA-F].")
                         .arg(bad >= 0x20 && bad < 0x7F ? QString(QChar(bad)) : QStringLiteral("\\x%1").arg(bad, 2, 16, QLatin1Char('0'))));
                return false;
            }
            value = (value << 4) | char32_t(h);
        }
        return true;
    }

    bool parseString()
    {
        const qsizetype start = ++m_i; // after the opening quote
        QByteArray out;
        bool escaped = false;
        static const QString illegalEscape = QStringLiteral("Illegal \\u Unicode escape sequence.");
        static const QString illegalUtf8 = QStringLiteral("Illegal UTF8 sequence found in \"\" string.");
        while (true) {
            if (m_i >= m_n) {
                fail(QStringLiteral("Reached the end of the buffer."));
                return false;
            }
            const uchar c = m_p[m_i];
            if (c == '"')
                break;
            if (c < 0x20) {
                fail(QString::asprintf("Invalid character < 0x20 found in string: 0x%2.2x.", c));
                return false;
            }
            if (c == '\\') {
                if (!escaped) {
                    escaped = true;
                    out = QByteArray(reinterpret_cast<const char *>(m_p + start), m_i - start);
                }
                if (m_i + 1 >= m_n) {
                    m_i = m_n;
                    fail(QStringLiteral("Reached the end of the buffer."));
                    return false;
                }
                const uchar e = m_p[m_i + 1];
                switch (e) {
                case '"': out.append('"'); m_i += 2; continue;
                case '\\': out.append('\\'); m_i += 2; continue;
                case '/': out.append('/'); m_i += 2; continue;
                case 'b': out.append('\b'); m_i += 2; continue;
                case 'f': out.append('\f'); m_i += 2; continue;
                case 'n': out.append('\n'); m_i += 2; continue;
                case 'r': out.append('\r'); m_i += 2; continue;
                case 't': out.append('\t'); m_i += 2; continue;
                case 'u': break;
                default:
                    fail(QStringLiteral("Invalid escape sequence found in \"\" string."));
                    return false;
                }
                char32_t cp;
                if (!readHex4(m_i + 2, cp))
                    return false;
                m_i += 6;
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    char32_t low = 0;
                    const bool hasSecond = m_i + 1 < m_n && m_p[m_i] == '\\' && m_p[m_i + 1] == 'u';
                    if (hasSecond) {
                        if (!readHex4(m_i + 2, low))
                            return false;
                    }
                    if (hasSecond && low >= 0xDC00 && low <= 0xDFFF) {
                        m_i += 6;
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    } else {
                        if (!badUnicode(out, QStringLiteral("Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape sequence.")))
                            return false;
                        continue;
                    }
                }
                if (cp == 0 || (cp >= 0xDC00 && cp <= 0xDFFF) || isNonCharacter(cp) || cp > 0x10FFFF) {
                    if (!badUnicode(out, illegalEscape))
                        return false;
                    continue;
                }
                appendUtf8(out, cp);
                continue;
            }
            if (c < 0x80) {
                if (escaped)
                    out.append(char(c));
                ++m_i;
                continue;
            }
            char32_t cp;
            int len;
            const Utf8 r = decodeUtf8(m_p + m_i, m_n - m_i, cp, len);
            if (r == Utf8::Truncated) {
                if (!(m_options & JKParseOptionLooseUnicode)) {
                    fail(QStringLiteral("End of buffer reached while parsing UTF8 in \"\" string."));
                    return false;
                }
            }
            if (r != Utf8::Ok || isNonCharacter(cp)) {
                if (!escaped) {
                    escaped = true;
                    out = QByteArray(reinterpret_cast<const char *>(m_p + start), m_i - start);
                }
                if (!badUnicode(out, illegalUtf8))
                    return false;
                m_i += len;
                continue;
            }
            if (escaped)
                out.append(reinterpret_cast<const char *>(m_p + m_i), len);
            m_i += len;
        }
        const qsizetype end = m_i;
        ++m_i; // closing quote
        if (end == start) {
            m_value = QVariant(QString(QLatin1String("")));
            return true;
        }
        if (!escaped) {
            m_value = m_cache.lookup(StringValue, m_p + start, end - start, [&] {
                return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(m_p + start), end - start));
            });
        } else {
            m_value = m_cache.lookup(StringValue, m_p + start, end - start,
                                     [&] { return QVariant(QString::fromUtf8(out)); });
        }
        return true;
    }

    bool parseNumber()
    {
        const qsizetype start = m_i;
        auto digits = [&] {
            const qsizetype from = m_i;
            while (m_i < m_n && m_p[m_i] >= '0' && m_p[m_i] <= '9')
                ++m_i;
            return m_i > from;
        };
        bool negative = false;
        if (m_p[m_i] == '-') {
            negative = true;
            ++m_i;
        }
        if (m_i < m_n && m_p[m_i] == '0') {
            ++m_i;
        } else if (m_i < m_n && m_p[m_i] >= '1' && m_p[m_i] <= '9') {
            digits();
        } else {
            fail(QStringLiteral("Invalid number."));
            return false;
        }
        bool isDouble = false;
        if (m_i < m_n && m_p[m_i] == '.') {
            ++m_i;
            if (!digits()) {
                fail(QStringLiteral("Invalid number."));
                return false;
            }
            isDouble = true;
        }
        if (m_i < m_n && (m_p[m_i] == 'e' || m_p[m_i] == 'E')) {
            ++m_i;
            if (m_i < m_n && (m_p[m_i] == '+' || m_p[m_i] == '-'))
                ++m_i;
            if (!digits()) {
                fail(QStringLiteral("Invalid number."));
                return false;
            }
            isDouble = true;
        }
        const uchar *tok = m_p + start;
        const qsizetype len = m_i - start;
        const QByteArray text(reinterpret_cast<const char *>(tok), len);
        if (!isDouble) {
            // Accumulate the magnitude with explicit overflow checks.
            quint64 magnitude = 0;
            bool overflow = false;
            for (qsizetype k = negative ? 1 : 0; k < len; ++k) {
                const quint64 d = quint64(tok[k] - '0');
                if (magnitude > (std::numeric_limits<quint64>::max() - d) / 10) {
                    overflow = true;
                    break;
                }
                magnitude = magnitude * 10 + d;
            }
            if (negative) {
                const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + 1;
                if (overflow || magnitude > limit) {
                    fail(QString::asprintf("The value '%s' exceeded the minimum value that could be represented: %lld.",
                                           text.constData(), (long long)std::numeric_limits<qint64>::min()));
                    return false;
                }
                m_value = m_cache.lookup(SignedValue, tok, len, [&] {
                    return QVariant(qlonglong(magnitude == limit ? std::numeric_limits<qint64>::min() : -qint64(magnitude)));
                });
                return true;
            }
            if (overflow) {
                fail(QString::asprintf("The value '%s' exceeded the maximum value that could be represented: %llu.",
                                       text.constData(), (unsigned long long)std::numeric_limits<quint64>::max()));
                return false;
            }
            if (magnitude <= quint64(std::numeric_limits<qint64>::max()))
                m_value = m_cache.lookup(SignedValue, tok, len, [&] { return QVariant(qlonglong(magnitude)); });
            else
                m_value = m_cache.lookup(UnsignedValue, tok, len, [&] { return QVariant(qulonglong(magnitude)); });
            return true;
        }
        errno = 0;
        char *end = nullptr;
        const double d = strtod_l(text.constData(), &end, cLocale());
        if (end != text.constData() + len) {
            fail(QStringLiteral("The conversion function did not consume all of the number tokens characters."));
            return false;
        }
        if (errno == ERANGE) {
            fail(QString::asprintf("The value '%s' could not be represented as a 'double' due to %s.", text.constData(),
                                   std::fabs(d) > 1.0 ? "overflow" : "underflow"));
            return false;
        }
        m_value = m_cache.lookup(DoubleValue, tok, len, [&] { return QVariant(d); });
        return true;
    }

    const uchar *m_p;
    qsizetype m_n;
    quint32 m_options;
    JSONDecoder::Cache &m_cache;
    qsizetype m_i = 0;
    qsizetype m_line = 1;
    qsizetype m_tokStart = 0;
    qsizetype m_tokLine = 1;
    QVariant m_value;
    std::optional<JSONError> m_error;
};

} // namespace

JSONDecoder::JSONDecoder() : JSONDecoder(JKParseOptionStrict) {}

JSONDecoder::JSONDecoder(quint32 parseOptions) : m_options(parseOptions), m_cache(std::make_unique<Cache>())
{
    if (parseOptions & ~quint32(JKParseOptionValidFlags))
        throw std::invalid_argument("Invalid parse options.");
}

JSONDecoder::~JSONDecoder() = default;

std::unique_ptr<JSONDecoder> JSONDecoder::decoder()
{
    return std::make_unique<JSONDecoder>();
}

std::unique_ptr<JSONDecoder> JSONDecoder::decoderWithParseOptions(quint32 parseOptions)
{
    return std::make_unique<JSONDecoder>(parseOptions);
}

QVariant JSONDecoder::parse(const char *bytes, qsizetype length, JSONError *error)
{
    if (!bytes || length < 0) {
        if (error) {
            *error = JSONError();
            error->message = QStringLiteral("The string argument is NULL.");
        }
        return {};
    }
    Parser parser(reinterpret_cast<const uchar *>(bytes), length, m_options, *m_cache);
    QVariant value = parser.run();
    if (parser.error()) {
        if (error)
            *error = *parser.error();
        return {};
    }
    return value;
}

QVariant JSONDecoder::objectWithUTF8String(const char *bytes, qsizetype length, JSONError *error)
{
    return parse(bytes, length, error);
}

QVariant JSONDecoder::mutableObjectWithUTF8String(const char *bytes, qsizetype length, JSONError *error)
{
    return parse(bytes, length, error);
}

QVariant JSONDecoder::objectWithData(const QByteArray &data, JSONError *error)
{
    if (data.isNull()) {
        if (error) {
            *error = JSONError();
            error->message = QStringLiteral("The jsonData argument is NULL.");
        }
        return {};
    }
    return parse(data.constData(), data.size(), error);
}

QVariant JSONDecoder::mutableObjectWithData(const QByteArray &data, JSONError *error)
{
    return objectWithData(data, error);
}

QVariant JSONDecoder::parseUTF8String(const char *bytes, qsizetype length, JSONError *error)
{
    return parse(bytes, length, error);
}

QVariant JSONDecoder::parseJSONData(const QByteArray &data, JSONError *error)
{
    return objectWithData(data, error);
}

void JSONDecoder::clearCache()
{
    m_cache->clear();
}
