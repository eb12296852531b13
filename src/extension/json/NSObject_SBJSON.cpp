#include "extension/json/NSObject_SBJSON.h"

#include "extension/json/SBJsonWriter.h"
#include "platform/log/ScribletLogger.h"

QString NSObject_SBJSON::JSONRepresentation(const SBJsonValue &value)
{
    SBJsonWriter w;
    w.setSortKeys(true);
    w.setHumanReadable(true);
    QString s = w.stringWithObject(value);
    if (s.isNull())
        ScribletLogError(QStringLiteral("-JSONRepresentation failed. Error trace is: %1").arg(w.errorTraceText()));
    return s;
}
