#pragma once

#include "converter/NumberFieldFormatter.h"

class MyResolutionFormatter : public NumberFieldFormatter
{
    Q_OBJECT
public:
    using NumberFieldFormatter::NumberFieldFormatter;
    bool isPartialStringValid(const QString &partial) const override;

protected:
    QVariant objectValueForString(const QString &string) const override;
};
