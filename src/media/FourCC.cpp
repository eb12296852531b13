#include "media/FourCC.h"

QString FourCCToString(uint32_t code)
{
    if (code == 0)
        return {};
    QString text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char((code >> shift) & 0xFF);
        text += (c >= 0x20 && c < 0x7F) ? QChar::fromLatin1(c) : QChar(u'?');
    }
    return text;
}

uint32_t StringToFourCC(const QString &text)
{
    if (text.isEmpty())
        return 0;
    const QByteArray bytes = text.toLatin1().left(4).leftJustified(4, ' ');
    uint32_t code = 0;
    for (char c : bytes)
        code = (code << 8) | uint8_t(c);
    return code;
}
