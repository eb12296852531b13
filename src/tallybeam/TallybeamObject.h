#pragma once

#include "tallybeam/TallybeamExport.h"

#include <QString>

// One measurement hit. Each kind writes its own parameters.
class TALLYBEAM_EXPORT TallybeamObject
{
public:
    virtual ~TallybeamObject();
    // "name=value" pairs joined by "&"; values percent-escaped, unset values left out.
    virtual QString querystring() const = 0;

    // Percent-escapes all but letters, digits and "-._~" (so "&", "=", "+" and the like too).
    static QString urlEncode(const QString &text);

protected:
    TallybeamObject() = default;
};
