#include "extension/json/SBJsonParser.h"

#include <cctype>
#include <cstring>

namespace {

// Quote, backslash and the control bytes 1-31 end a plain run inside a string.
struct StopBytes
{
    bool table[256] = {};
    StopBytes()
    {
        table[uint8_t('"')] = table[uint8_t('\\')] = true;
        for (int b = 1; b < 32; ++b)
            table[b] = true;
    }
};
const StopBytes &stopBytes()
{
    static const StopBytes s;
    return s;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool validUtf8(const unsigned char *p, const unsigned char *end)
{
    while (p < end) {
        const unsigned c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int n = 0;
        unsigned cp = 0, min = 0;
        if ((c & 0xE0) == 0xC0) { n = 1; cp = c & 0x1F; min = 0x80; }
        else if ((c & 0xF0) == 0xE0) { n = 2; cp = c & 0x0F; min = 0x800; }
        else if ((c & 0xF8) == 0xF0) { n = 3; cp = c & 0x07; min = 0x10000; }
        else return false;
        if (end - p <= n)
            return false;
        for (int i = 1; i <= n; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += n + 1;
    }
    return true;
}

} // namespace

SBJsonParser::SBJsonParser(QObject *parent) : SBJsonBase(parent)
{
    stopBytes();
}

std::optional<SBJsonValue> SBJsonParser::objectWithString(const QString &text)
{
    if (text.isNull()) {
        clearErrorTrace();
        addErrorWithCode(12, QStringLiteral("Input was 'nil'"));
        return std::nullopt;
    }
    return objectWithUtf8(text.toUtf8());
}

std::optional<SBJsonValue> SBJsonParser::objectWithString(const QString &text, SBJsonError *error)
{
    std::optional<SBJsonValue> v = objectWithString(text);
    if (!v && error && !errorTrace().isEmpty())
        *error = errorTrace().last();
    return v;
}

std::optional<SBJsonValue> SBJsonParser::objectWithUtf8(const QByteArray &utf8)
{
    clearErrorTrace();
    if (utf8.isNull()) {
        addErrorWithCode(12, QStringLiteral("Input was 'nil'"));
        return std::nullopt;
    }
    m_depth = 0;
    // constData() is zero-terminated, and the text ends at the first zero byte.
    m_c = utf8.constData();
    SBJsonValue v;
    if (!scanValue(v))
        return std::nullopt;
    skipWhitespace();
    if (*m_c) {
        addErrorWithCode(10, QStringLiteral("Garbage after JSON"));
        return std::nullopt;
    }
    if (!v.isArray() && !v.isObject()) {
        addErrorWithCode(4, QStringLiteral("Valid fragment, but not JSON"));
        return std::nullopt;
    }
    return v;
}

void SBJsonParser::skipWhitespace()
{
    while (*m_c && std::isspace(static_cast<unsigned char>(*m_c)))
        ++m_c;
}

bool SBJsonParser::scanValue(SBJsonValue &out)
{
    skipWhitespace();
    const char ch = *m_c++;
    switch (ch) {
    case 0:
        --m_c;
        addErrorWithCode(11, QStringLiteral("Unexpected end of string"));
        return false;
    case '"': {
        QString s;
        if (!scanRestOfString(s))
            return false;
        out = SBJsonValue(s);
        return true;
    }
    case '+':
        addErrorWithCode(2, QStringLiteral("Leading + disallowed in number"));
        return false;
    case '[':
        return scanRestOfArray(out);
    case '{':
        return scanRestOfObject(out);
    case 't':
        if (!scanLiteral("rue", "Expected 'true'"))
            return false;
        out = SBJsonValue(true);
        return true;
    case 'f':
        if (!scanLiteral("alse", "Expected 'false'"))
            return false;
        out = SBJsonValue(false);
        return true;
    case 'n':
        if (!scanLiteral("ull", "Expected 'null'"))
            return false;
        out = SBJsonValue::null();
        return true;
    default:
        if (ch == '-' || (ch >= '0' && ch <= '9')) {
            --m_c;
            return scanNumber(out);
        }
        addErrorWithCode(3, QStringLiteral("Unrecognised leading character"));
        return false;
    }
}

bool SBJsonParser::scanLiteral(const char *rest, const char *message)
{
    const size_t n = std::strlen(rest);
    if (std::strncmp(m_c, rest, n) != 0) {
        addErrorWithCode(3, QString::fromLatin1(message));
        return false;
    }
    m_c += n;
    return true;
}

bool SBJsonParser::scanRestOfArray(SBJsonValue &out)
{
    if (!enterLevel())
        return false;
    out = SBJsonValue::array();
    while (*m_c) {
        skipWhitespace();
        if (*m_c == ']') {
            ++m_c;
            leaveLevel();
            return true;
        }
        SBJsonValue v;
        if (!scanValue(v)) {
            addErrorWithCode(3, QStringLiteral("Expected value while parsing array"));
            return false;
        }
        out.append(v);
        skipWhitespace();
        if (*m_c == ',') {
            ++m_c;
            skipWhitespace();
            if (*m_c == ']') {
                addErrorWithCode(9, QStringLiteral("Trailing comma disallowed in array"));
                return false;
            }
        }
    }
    addErrorWithCode(11, QStringLiteral("End of input while parsing array"));
    return false;
}

bool SBJsonParser::scanRestOfObject(SBJsonValue &out)
{
    if (!enterLevel())
        return false;
    out = SBJsonValue::object();
    while (*m_c) {
        skipWhitespace();
        if (*m_c == '}') {
            ++m_c;
            leaveLevel();
            return true;
        }
        if (*m_c != '"') {
            addErrorWithCode(3, QStringLiteral("Object key string expected"));
            return false;
        }
        ++m_c;
        QString key;
        if (!scanRestOfString(key))
            return false;
        skipWhitespace();
        if (*m_c != ':') {
            addErrorWithCode(3, QStringLiteral("Expected ':' separating key and value"));
            return false;
        }
        ++m_c;
        SBJsonValue v;
        if (!scanValue(v)) {
            addErrorWithCode(3, QStringLiteral("Object value expected for key: %1").arg(key));
            return false;
        }
        out.set(key, v);
        skipWhitespace();
        if (*m_c == ',') {
            ++m_c;
            skipWhitespace();
            if (*m_c == '}') {
                addErrorWithCode(9, QStringLiteral("Trailing comma disallowed in object"));
                return false;
            }
        }
    }
    addErrorWithCode(11, QStringLiteral("End of input while parsing object"));
    return false;
}

bool SBJsonParser::appendUtf8Run(QString &out, const char *begin, const char *end)
{
    if (!validUtf8(reinterpret_cast<const unsigned char *>(begin), reinterpret_cast<const unsigned char *>(end))) {
        addErrorWithCode(3, QStringLiteral("Invalid UTF-8 in string"));
        return false;
    }
    out += QString::fromUtf8(begin, end - begin);
    return true;
}

bool SBJsonParser::scanRestOfString(QString &out)
{
    const bool *stop = stopBytes().table;
    // Fast path: a plain run that ends on the closing quote.
    const char *run = m_c;
    while (*run && !stop[static_cast<unsigned char>(*run)])
        ++run;
    if (*run == '"' && run > m_c) {
        if (!appendUtf8Run(out, m_c, run))
            return false;
        m_c = run + 1;
        return true;
    }
    while (*m_c) {
        const char *begin = m_c;
        while (*m_c && !stop[static_cast<unsigned char>(*m_c)])
            ++m_c;
        if (m_c > begin && !appendUtf8Run(out, begin, m_c))
            return false;
        const unsigned char ch = static_cast<unsigned char>(*m_c);
        if (ch == 0)
            break;
        ++m_c;
        if (ch == '"')
            return true;
        if (ch == '\\') {
            const unsigned char e = static_cast<unsigned char>(*m_c++);
            switch (e) {
            case '"': out += QLatin1Char('"'); break;
            case '\\': out += QLatin1Char('\\'); break;
            case '/': out += QLatin1Char('/'); break;
            case 'b': out += QLatin1Char('\b'); break;
            case 'f': out += QLatin1Char('\f'); break;
            case 'n': out += QLatin1Char('\n'); break;
            case 'r': out += QLatin1Char('\r'); break;
            case 't': out += QLatin1Char('\t'); break;
            case 'u':
                if (!scanUnicodeChar(out)) {
                    addErrorWithCode(6, QStringLiteral("Broken unicode character"));
                    return false;
                }
                break;
            case 0:
                --m_c;
                addErrorWithCode(11, QStringLiteral("Unexpected EOF while parsing string"));
                return false;
            default:
                addErrorWithCode(8, QStringLiteral("Illegal escape sequence '0x%1'").arg(e, 0, 16));
                return false;
            }
            continue;
        }
        addErrorWithCode(5, QStringLiteral("Unescaped control character '0x%1'").arg(ch, 0, 16));
        return false;
    }
    addErrorWithCode(11, QStringLiteral("Unexpected EOF while parsing string"));
    return false;
}

bool SBJsonParser::scanHexQuad(unsigned &out)
{
    out = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = *m_c;
        unsigned d;
        if (c >= '0' && c <= '9') d = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f') d = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') d = unsigned(c - 'A' + 10);
        else {
            addErrorWithCode(6, QStringLiteral("Missing hex digit in quad"));
            return false;
        }
        ++m_c;
        out = out * 16 + d;
    }
    return true;
}

bool SBJsonParser::scanUnicodeChar(QString &out)
{
    unsigned hi;
    if (!scanHexQuad(hi)) {
        addErrorWithCode(6, QStringLiteral("Missing hex quad"));
        return false;
    }
    if (hi < 0xD800 || hi > 0xDFFF) {
        out += QChar(char16_t(hi));
        return true;
    }
    if (hi >= 0xDC00) {
        addErrorWithCode(6, QStringLiteral("Invalid high character in surrogate pair"));
        return false;
    }
    if (m_c[0] != '\\' || m_c[1] != 'u') {
        addErrorWithCode(6, QStringLiteral("Missing low character in surrogate pair"));
        return false;
    }
    m_c += 2;
    unsigned lo;
    if (!scanHexQuad(lo)) {
        addErrorWithCode(6, QStringLiteral("Missing hex quad"));
        return false;
    }
    if (lo < 0xDC00 || lo > 0xDFFF) {
        addErrorWithCode(6, QStringLiteral("Invalid low surrogate char"));
        return false;
    }
    out += QChar(char16_t(hi));
    out += QChar(char16_t(lo));
    return true;
}

bool SBJsonParser::scanNumber(SBJsonValue &out)
{
    const char *start = m_c;
    const bool negative = *m_c == '-';
    if (negative)
        ++m_c;
    bool overflow = false;
    qint64 acc = 0;
    if (*m_c == '0') {
        ++m_c;
        if (*m_c >= '0' && *m_c <= '9') {
            addErrorWithCode(2, QStringLiteral("Leading 0 disallowed in number"));
            return false;
        }
    } else if (*m_c >= '1' && *m_c <= '9') {
        while (*m_c >= '0' && *m_c <= '9') {
            // Checked arithmetic: an overflow keeps the exact text as a decimal.
            if (!overflow && (__builtin_mul_overflow(acc, qint64(10), &acc) || __builtin_add_overflow(acc, qint64(*m_c - '0'), &acc)))
                overflow = true;
            ++m_c;
        }
    } else {
        addErrorWithCode(2, QStringLiteral("No digits after initial minus"));
        return false;
    }
    bool simple = true;
    if (*m_c == '.') {
        simple = false;
        ++m_c;
        if (!(*m_c >= '0' && *m_c <= '9')) {
            addErrorWithCode(2, QStringLiteral("No digits after decimal point"));
            return false;
        }
        while (*m_c >= '0' && *m_c <= '9')
            ++m_c;
    }
    if (*m_c == 'e' || *m_c == 'E') {
        simple = false;
        ++m_c;
        if (*m_c == '+' || *m_c == '-')
            ++m_c;
        if (!(*m_c >= '0' && *m_c <= '9')) {
            addErrorWithCode(2, QStringLiteral("No digits after exponent"));
            return false;
        }
        while (*m_c >= '0' && *m_c <= '9')
            ++m_c;
    }
    if (simple && !overflow) {
        out = SBJsonValue(negative ? -acc : acc);
        return true;
    }
    out = SBJsonValue::decimal(QString::fromLatin1(start, m_c - start));
    return true;
}
