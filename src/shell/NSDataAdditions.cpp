#include "shell/NSDataAdditions.h"

#include <cstring>

namespace NSDataAdditions {

namespace {

const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(char16_t c)
{
    if (c >= u'A' && c <= u'Z')
        return c - u'A';
    if (c >= u'a' && c <= u'z')
        return c - u'a' + 26;
    if (c >= u'0' && c <= u'9')
        return c - u'0' + 52;
    if (c == u'+')
        return 62;
    if (c == u'/')
        return 63;
    return -1;
}

} // namespace

QByteArray dataWithBase64EncodedString(const QString &string)
{
    QByteArray out;
    if (string.isEmpty())
        return out;
    out.reserve(string.size() / 4 * 3 + 3);
    quint32 group = 0;
    int count = 0;
    for (const QChar ch : string) {
        const char16_t c = ch.unicode();
        if (c == u'=')
            break;
        const int v = sextet(c);
        if (v < 0)
            continue;
        group = (group << 6) | quint32(v);
        if (++count == 4) {
            out.append(char((group >> 16) & 0xff));
            out.append(char((group >> 8) & 0xff));
            out.append(char(group & 0xff));
            group = 0;
            count = 0;
        }
    }
    if (count == 2) {
        out.append(char((group >> 4) & 0xff));
    } else if (count == 3) {
        out.append(char((group >> 10) & 0xff));
        out.append(char((group >> 2) & 0xff));
    }
    return out;
}

QByteArray initWithBase64EncodedString(const QString &string)
{
    return dataWithBase64EncodedString(string);
}

QString base64Encoding(const QByteArray &data)
{
    return base64EncodingWithLineLength(data, 0);
}

QString base64EncodingWithLineLength(const QByteArray &data, int lineLength)
{
    QString out;
    if (data.isEmpty())
        return out;
    const qsizetype groups = (data.size() + 2) / 3;
    out.reserve(groups * 4 + (lineLength > 0 ? groups * 4 / lineLength + 1 : 0));
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    int sinceBreak = 0;
    for (qsizetype i = 0; i < data.size(); i += 3) {
        const qsizetype left = data.size() - i;
        const quint32 b0 = bytes[i];
        const quint32 b1 = left > 1 ? bytes[i + 1] : 0;
        const quint32 b2 = left > 2 ? bytes[i + 2] : 0;
        const quint32 group = (b0 << 16) | (b1 << 8) | b2;
        out.append(QLatin1Char(Alphabet[(group >> 18) & 63]));
        out.append(QLatin1Char(Alphabet[(group >> 12) & 63]));
        out.append(left > 1 ? QLatin1Char(Alphabet[(group >> 6) & 63]) : QLatin1Char('='));
        out.append(left > 2 ? QLatin1Char(Alphabet[group & 63]) : QLatin1Char('='));
        sinceBreak += 4;
        if (lineLength > 0 && sinceBreak >= lineLength) {
            out.append(QLatin1Char('\n'));
            sinceBreak = 0;
        }
    }
    return out;
}

bool hasPrefixBytes(const QByteArray &data, const void *bytes, qsizetype length)
{
    if (!bytes || length <= 0 || data.size() < length)
        return false;
    return std::memcmp(data.constData(), bytes, size_t(length)) == 0;
}

bool hasSuffixBytes(const QByteArray &data, const void *bytes, qsizetype length)
{
    if (!bytes || length <= 0 || data.size() < length)
        return false;
    return std::memcmp(data.constData() + data.size() - length, bytes, size_t(length)) == 0;
}

} // namespace NSDataAdditions
