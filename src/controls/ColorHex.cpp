#include "controls/ColorHex.h"

namespace ColorHex {

QColor colorWithHexString(const QString &text)
{
    QString s = text.trimmed().toUpper();
    const QColor clear(0, 0, 0, 0);
    if (s.size() <= 5)
        return clear;
    if (s.startsWith(QLatin1String("0X")))
        s = s.mid(2);
    if (s.startsWith(QLatin1Char('#')))
        s = s.mid(1);
    if (s.size() != 6)
        return clear;
    int rgb[3];
    for (int k = 0; k < 3; ++k) {
        bool ok = false;
        rgb[k] = s.mid(2 * k, 2).toInt(&ok, 16);
        if (!ok || s.at(2 * k) == QLatin1Char('+') || s.at(2 * k) == QLatin1Char('-'))
            return clear;
    }
    return QColor::fromRgbF(float(rgb[0] / 255.0), float(rgb[1] / 255.0), float(rgb[2] / 255.0), 1.0f);
}

} // namespace ColorHex
