#include "converter/NumberFieldFormatter.h"

#include <QApplication>

QValidator::State NumberFieldFormatter::validate(QString &input, int &) const
{
    if (!isPartialStringValid(input)) {
        if (qobject_cast<QApplication *>(QCoreApplication::instance()))
            QApplication::beep();
        return Invalid;
    }
    return objectValueForString(input).isNull() ? Intermediate : Acceptable;
}

bool NumberFieldFormatter::getObjectValue(QVariant *object, const QString &string, QString *) const
{
    if (object)
        *object = objectValueForString(string);
    return true;
}

QString NumberFieldFormatter::stringForObjectValue(const QVariant &object) const
{
    return object.isNull() ? QString() : object.toString();
}
