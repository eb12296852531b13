#include "converter/MyResolutionFormatter.h"

#include <QRegularExpression>

// Digits and at most one "*" (width*height).
bool MyResolutionFormatter::isPartialStringValid(const QString &partial) const
{
    static const QRegularExpression size(QStringLiteral("^[0-9]*\\*?[0-9]*$"));
    return size.match(partial).hasMatch();
}

// The text itself, when its leading number (the width) is above 0.
QVariant MyResolutionFormatter::objectValueForString(const QString &string) const
{
    if (string.isEmpty() || !isPartialStringValid(string))
        return QVariant();
    bool ok = false;
    const qlonglong width = string.section(QLatin1Char('*'), 0, 0).toLongLong(&ok);
    return ok && width > 0 ? QVariant(string) : QVariant();
}
