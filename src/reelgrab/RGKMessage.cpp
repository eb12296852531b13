#include "reelgrab/RGKMessage.h"

#include "platform/KeyedArchiver.h"

#include <QCborArray>
#include <QCborValue>

namespace RGKMessage {

namespace {
// A single value travels as a keyed archive with its value under "root", so every message
// object goes through the same bounded reader.
const QString kRoot = QStringLiteral("root");

std::optional<QCborValue> rootValue(const QByteArray &data)
{
    KeyedUnarchiver coder(data);
    if (!coder.isValid() || !coder.containsKey(kRoot))
        return std::nullopt;
    return coder.decodeVariant(kRoot).isValid() ? std::optional<QCborValue>(QCborValue::fromVariant(coder.decodeVariant(kRoot)))
                                                : std::nullopt;
}
} // namespace

QByteArray archiveString(const QString &value)
{
    KeyedArchiver coder(QStringLiteral("NSString"));
    coder.encodeString(kRoot, value);
    return coder.archivedData();
}

std::optional<QString> stringFromArchive(const QByteArray &data)
{
    const auto v = rootValue(data);
    if (!v || !v->isString())
        return std::nullopt;
    return v->toString();
}

QByteArray archiveNumber(double value)
{
    KeyedArchiver coder(QStringLiteral("NSNumber"));
    coder.encodeDouble(kRoot, value);
    return coder.archivedData();
}

std::optional<double> numberFromArchive(const QByteArray &data)
{
    const auto v = rootValue(data);
    if (!v)
        return std::nullopt;
    if (v->isDouble())
        return v->toDouble();
    if (v->isInteger())
        return double(v->toInteger());
    return std::nullopt;
}

QByteArray archiveSegments(const QList<QVSniffingMediaSegment> &segments)
{
    KeyedArchiver coder(QStringLiteral("NSArray"));
    coder.encodeObjectList(kRoot, segments);
    return coder.archivedData();
}

std::optional<QList<QVSniffingMediaSegment>> segmentsFromArchive(const QByteArray &data)
{
    KeyedUnarchiver coder(data);
    if (!coder.isValid() || coder.className() != QLatin1String("NSArray"))
        return std::nullopt;
    return coder.decodeObjectList<QVSniffingMediaSegment>(kRoot);
}

} // namespace RGKMessage
