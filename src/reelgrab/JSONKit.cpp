#include "reelgrab/JSONKit.h"

namespace {

bool hasLoneSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

QVariant decodeText(const QString &text, quint32 parseOptions, JSONError *error)
{
    if (hasLoneSurrogate(text)) {
        if (error) {
            *error = JSONError();
            error->message = QStringLiteral("An error occurred converting the contents of a NSString to UTF8.");
        }
        return {};
    }
    const QByteArray utf8 = text.toUtf8();
    JSONDecoder decoder(parseOptions);
    return decoder.objectWithUTF8String(utf8.constData(), utf8.size(), error);
}

QByteArray asData(const QVariant &v)
{
    return v.toByteArray();
}

QString asString(const QVariant &v)
{
    return v.toString();
}

const JKSerializer::UnsupportedBlock kNoBlock;

QVariant run(const QVariant &object, quint32 options, quint32 encodeOption, const JKSerializer::UnsupportedBlock &block,
             QObject *delegate, const char *selector, JSONError *error)
{
    return JKSerializer::serializeObject(object, options, encodeOption, block, delegate, selector, error);
}

constexpr quint32 DataCollection = JKEncodeOptionAsData | JKEncodeOptionCollectionObj;
constexpr quint32 StringCollection = JKEncodeOptionAsString | JKEncodeOptionCollectionObj;

} // namespace

namespace NSStringJSONKitDeserializing {
QVariant objectFromJSONString(const QString &text, quint32 parseOptions, JSONError *error)
{
    return decodeText(text, parseOptions, error);
}
QVariant mutableObjectFromJSONString(const QString &text, quint32 parseOptions, JSONError *error)
{
    return decodeText(text, parseOptions, error);
}
} // namespace NSStringJSONKitDeserializing

namespace NSDataJSONKitDeserializing {
QVariant objectFromJSONData(const QByteArray &data, quint32 parseOptions, JSONError *error)
{
    JSONDecoder decoder(parseOptions);
    return decoder.objectWithData(data, error);
}
QVariant mutableObjectFromJSONData(const QByteArray &data, quint32 parseOptions, JSONError *error)
{
    return objectFromJSONData(data, parseOptions, error);
}
} // namespace NSDataJSONKitDeserializing

namespace NSStringJSONKitSerializing {
QByteArray JSONData(const QString &text)
{
    return JSONDataWithOptions(text, 0, true, nullptr);
}
QByteArray JSONDataWithOptions(const QString &text, quint32 options, bool includeQuotes, JSONError *error)
{
    const quint32 encode = JKEncodeOptionAsData | JKEncodeOptionStringObj
        | (includeQuotes ? 0u : quint32(JKEncodeOptionStringObjTrimQuotes));
    return asData(run(text, options, encode, kNoBlock, nullptr, nullptr, error));
}
QString JSONString(const QString &text)
{
    return JSONStringWithOptions(text, 0, true, nullptr);
}
QString JSONStringWithOptions(const QString &text, quint32 options, bool includeQuotes, JSONError *error)
{
    const quint32 encode = JKEncodeOptionAsString | JKEncodeOptionStringObj
        | (includeQuotes ? 0u : quint32(JKEncodeOptionStringObjTrimQuotes));
    return asString(run(text, options, encode, kNoBlock, nullptr, nullptr, error));
}
} // namespace NSStringJSONKitSerializing

#define FENNIX_JSONKIT_COLLECTION(NS, Type)                                                                        \
    namespace NS {                                                                                                 \
    QByteArray JSONData(const Type &v) { return JSONDataWithOptions(v, 0, nullptr); }                              \
    QByteArray JSONDataWithOptions(const Type &v, quint32 o, JSONError *e)                                         \
    {                                                                                                              \
        return asData(run(v, o, DataCollection, kNoBlock, nullptr, nullptr, e));                                   \
    }                                                                                                              \
    QByteArray JSONDataWithOptions(const Type &v, quint32 o, QObject *d, const char *s, JSONError *e)              \
    {                                                                                                              \
        return asData(run(v, o, DataCollection, kNoBlock, d, s, e));                                               \
    }                                                                                                              \
    QByteArray JSONDataWithOptions(const Type &v, quint32 o, const JKSerializer::UnsupportedBlock &b, JSONError *e) \
    {                                                                                                              \
        return asData(run(v, o, DataCollection, b, nullptr, nullptr, e));                                          \
    }                                                                                                              \
    QString JSONString(const Type &v) { return JSONStringWithOptions(v, 0, nullptr); }                             \
    QString JSONStringWithOptions(const Type &v, quint32 o, JSONError *e)                                          \
    {                                                                                                              \
        return asString(run(v, o, StringCollection, kNoBlock, nullptr, nullptr, e));                               \
    }                                                                                                              \
    QString JSONStringWithOptions(const Type &v, quint32 o, QObject *d, const char *s, JSONError *e)               \
    {                                                                                                              \
        return asString(run(v, o, StringCollection, kNoBlock, d, s, e));                                           \
    }                                                                                                              \
    QString JSONStringWithOptions(const Type &v, quint32 o, const JKSerializer::UnsupportedBlock &b, JSONError *e)  \
    {                                                                                                              \
        return asString(run(v, o, StringCollection, b, nullptr, nullptr, e));                                      \
    }                                                                                                              \
    }

FENNIX_JSONKIT_COLLECTION(NSArrayJSONKitSerializing, QVariantList)
FENNIX_JSONKIT_COLLECTION(NSDictionaryJSONKitSerializing, QVariantMap)
