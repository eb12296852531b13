#include "extension/json/NSString_SBJSON.h"

#include "extension/json/SBJsonParser.h"
#include "platform/log/ScribletLogger.h"

namespace {
std::optional<SBJsonValue> logged(SBJsonParser &p, std::optional<SBJsonValue> v)
{
    if (!v)
        ScribletLogError(QStringLiteral("-JSONValue failed. Error trace is: %1").arg(p.errorTraceText()));
    return v;
}
} // namespace

std::optional<SBJsonValue> NSString_SBJSON::JSONValue(const QString &text)
{
    SBJsonParser p;
    return logged(p, p.objectWithString(text));
}

std::optional<SBJsonValue> NSString_SBJSON::JSONValue(const QByteArray &utf8)
{
    SBJsonParser p;
    return logged(p, p.objectWithUtf8(utf8));
}
