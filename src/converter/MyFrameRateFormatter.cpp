#include "converter/MyFrameRateFormatter.h"

#include <QRegularExpression>

namespace {

const QString Suffix = QStringLiteral(" fps");

QString withoutNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("[0-9.]"));
    return QString(text).remove(number);
}

} // namespace

// At most one "."; beside the digits and the "." only the " fps" suffix (or nothing).
bool MyFrameRateFormatter::isPartialStringValid(const QString &partial) const
{
    if (partial.count(QLatin1Char('.')) > 1)
        return false;
    const QString rest = withoutNumber(partial);
    return rest.isEmpty() || rest == Suffix;
}

// The text itself, unless its number is negative and it holds more than digits, "." and
// " fps".
QVariant MyFrameRateFormatter::objectValueForString(const QString &string) const
{
    // The number the text starts with, as a numeric reading of "-12.5 fps" or "-3x" takes it.
    static const QRegularExpression leading(QStringLiteral("^\\s*(-?[0-9]*\\.?[0-9]+)"));
    const QRegularExpressionMatch m = leading.match(string);
    const bool negative = m.hasMatch() && m.captured(1).toDouble() < 0;
    const QString rest = withoutNumber(string);
    if (negative && !rest.isEmpty() && rest != Suffix)
        return QVariant();
    return QVariant(string);
}
