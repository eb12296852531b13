#include "reelgrab/MediaFormatCode.h"

namespace MediaFormatCode {

QString toString(quint32 code)
{
    QString out;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const quint8 c = quint8(code >> shift);
        if (c == 0)
            continue; // an unset code has no characters
        // A code from an archive may hold any byte; keep the text printable.
        out.append(c >= 0x20 && c < 0x7F ? QChar(c) : QChar(u'?'));
    }
    return out;
}

QString extName(quint32 code)
{
    return toString(code).trimmed();
}

quint32 fromString(const QString &text)
{
    const QByteArray latin = text.left(4).toLatin1().leftJustified(4, ' ');
    return (quint32(quint8(latin[0])) << 24) | (quint32(quint8(latin[1])) << 16)
        | (quint32(quint8(latin[2])) << 8) | quint32(quint8(latin[3]));
}

} // namespace MediaFormatCode
