#include "downloads/TimeLabelFormatter.h"

#include <QApplication>

TimeLabelFormatter::TimeLabelFormatter(QObject *parent)
    : QValidator(parent)
{
}

bool TimeLabelFormatter::isPartialStringValid(const QString &proposed) const
{
    if (proposed.size() >= 3)
        return false;
    for (QChar c : proposed)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    const int value = proposed.isEmpty() ? 0 : proposed.toInt();
    return value >= m_minIntValue && value <= m_maxIntValue;
}

QValidator::State TimeLabelFormatter::validate(QString &input, int &) const
{
    if (isPartialStringValid(input))
        return Acceptable;
    QApplication::beep();
    return Invalid;
}
