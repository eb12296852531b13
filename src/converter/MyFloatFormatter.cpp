#include "converter/MyFloatFormatter.h"

#include <QRegularExpression>

// Digits and at most one ".".
bool MyFloatFormatter::isPartialStringValid(const QString &partial) const
{
    static const QRegularExpression decimal(QStringLiteral("^[0-9]*\\.?[0-9]*$"));
    return decimal.match(partial).hasMatch();
}

// A decimal whose whole part is above 0 ("0.5" and ".5" are refused).
QVariant MyFloatFormatter::objectValueForString(const QString &string) const
{
    if (string.isEmpty() || !isPartialStringValid(string))
        return QVariant();
    bool ok = false;
    const qlonglong whole = string.section(QLatin1Char('.'), 0, 0).toLongLong(&ok);
    if (!ok || whole <= 0)
        return QVariant();
    const double value = string.toDouble(&ok);
    return ok ? QVariant(value) : QVariant();
}
