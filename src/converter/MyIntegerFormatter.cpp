#include "converter/MyIntegerFormatter.h"

#include <QRegularExpression>

// Digits only.
bool MyIntegerFormatter::isPartialStringValid(const QString &partial) const
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]*$"));
    return digits.match(partial).hasMatch();
}

// A whole number above 0; one too large for the field's integer is refused, never wrapped.
QVariant MyIntegerFormatter::objectValueForString(const QString &string) const
{
    if (string.isEmpty() || !isPartialStringValid(string))
        return QVariant();
    bool ok = false;
    const qlonglong value = string.toLongLong(&ok);
    return ok && value > 0 ? QVariant(value) : QVariant();
}
