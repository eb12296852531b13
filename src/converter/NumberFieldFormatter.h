#pragma once

#include <QValidator>
#include <QVariant>

// A typed number field's formatter: which keystrokes the field takes (a refused one beeps and
// changes nothing) and what value a finished text stands for (none when the text is refused).
class NumberFieldFormatter : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;

    // Invalid (with a beep) for text that may not be typed; Acceptable when the text stands for
    // a value; Intermediate while it may still grow into one.
    State validate(QString &input, int &pos) const override;

    // Always true: a refused text leaves `object` null rather than failing the edit.
    bool getObjectValue(QVariant *object, const QString &string, QString *error = nullptr) const;
    // The value's text; empty for none.
    QString stringForObjectValue(const QVariant &object) const;

    virtual bool isPartialStringValid(const QString &partial) const = 0;

protected:
    // The value `string` stands for, or a null QVariant.
    virtual QVariant objectValueForString(const QString &string) const = 0;
};
