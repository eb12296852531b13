#include "platform/KeyedArchiver.h"

#include <QCborStreamReader>
#include <QCborValue>

namespace {

const QString kClassKey = QStringLiteral("$class");

QCborValue variantToCbor(const QVariant &v, int depth = 0)
{
    if (depth > KeyedUnarchiver::MaxDepth)
        return QCborValue();
    switch (v.typeId()) {
    case QMetaType::Bool:
        return QCborValue(v.toBool());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Long:
        return QCborValue(v.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::ULong:
        return QCborValue(qint64(qMin<quint64>(v.toULongLong(), quint64(std::numeric_limits<qint64>::max()))));
    case QMetaType::Double:
    case QMetaType::Float:
        return QCborValue(v.toDouble());
    case QMetaType::QString:
        return QCborValue(v.toString());
    case QMetaType::QByteArray:
        return QCborValue(v.toByteArray());
    case QMetaType::QDateTime:
        return QCborValue(v.toDateTime().toUTC());
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        QCborArray a;
        for (const QVariant &item : v.toList())
            a.append(variantToCbor(item, depth + 1));
        return a;
    }
    case QMetaType::QVariantMap: {
        QCborMap m;
        const QVariantMap map = v.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            m.insert(it.key(), variantToCbor(it.value(), depth + 1));
        return m;
    }
    default:
        if (!v.isValid())
            return QCborValue();
        return QCborValue(v.toString());
    }
}

QVariant cborToVariant(const QCborValue &v)
{
    switch (v.type()) {
    case QCborValue::Integer:
        return QVariant(qint64(v.toInteger()));
    case QCborValue::Double:
        return v.toDouble();
    case QCborValue::True:
        return true;
    case QCborValue::False:
        return false;
    case QCborValue::String:
        return v.toString();
    case QCborValue::ByteArray:
        return v.toByteArray();
    case QCborValue::DateTime:
        return v.toDateTime();
    case QCborValue::Array: {
        QVariantList list;
        for (const QCborValue &item : v.toArray())
            list.append(cborToVariant(item));
        return list;
    }
    case QCborValue::Map: {
        QVariantMap map;
        const QCborMap m = v.toMap();
        for (auto it = m.cbegin(); it != m.cend(); ++it)
            map.insert(it.key().toString(), cborToVariant(it.value()));
        return map;
    }
    default:
        return {};
    }
}

// Recursive reader with every size checked against the bytes that are left, so a
// declared length of 2^60 costs nothing.
class BoundedReader
{
public:
    explicit BoundedReader(const QByteArray &data) : m_data(data), m_reader(data) {}

    bool read(QCborValue &out, int depth)
    {
        if (depth > KeyedUnarchiver::MaxDepth)
            return fail(QStringLiteral("archive nested deeper than %1 levels").arg(KeyedUnarchiver::MaxDepth));
        if (!m_reader.isValid())
            return fail(QStringLiteral("truncated or malformed archive"));
        switch (m_reader.type()) {
        case QCborStreamReader::UnsignedInteger: {
            const quint64 u = m_reader.toUnsignedInteger();
            if (u > quint64(std::numeric_limits<qint64>::max()))
                return fail(QStringLiteral("integer out of range"));
            out = QCborValue(qint64(u));
            return m_reader.next();
        }
        case QCborStreamReader::NegativeInteger: {
            const quint64 n = quint64(m_reader.toNegativeInteger());
            if (n > quint64(std::numeric_limits<qint64>::max()) + 1)
                return fail(QStringLiteral("integer out of range"));
            out = QCborValue(qint64(-qint64(n - 1) - 1));
            return m_reader.next();
        }
        case QCborStreamReader::Float16:
            out = QCborValue(double(m_reader.toFloat16()));
            return m_reader.next();
        case QCborStreamReader::Float:
            out = QCborValue(double(m_reader.toFloat()));
            return m_reader.next();
        case QCborStreamReader::Double:
            out = QCborValue(m_reader.toDouble());
            return m_reader.next();
        case QCborStreamReader::SimpleType:
            switch (m_reader.toSimpleType()) {
            case QCborSimpleType::False: out = QCborValue(false); break;
            case QCborSimpleType::True: out = QCborValue(true); break;
            case QCborSimpleType::Null: out = QCborValue(nullptr); break;
            default: out = QCborValue(); break;
            }
            return m_reader.next();
        case QCborStreamReader::ByteArray: {
            QByteArray bytes;
            if (!readBytes(bytes))
                return false;
            out = QCborValue(bytes);
            return true;
        }
        case QCborStreamReader::String: {
            QByteArray utf8;
            if (!readText(utf8))
                return false;
            out = QCborValue(QString::fromUtf8(utf8));
            return true;
        }
        case QCborStreamReader::Array: {
            if (m_reader.isLengthKnown() && m_reader.length() > quint64(remaining()))
                return fail(QStringLiteral("array longer than the archive"));
            if (!m_reader.enterContainer())
                return fail(QStringLiteral("malformed array"));
            QCborArray array;
            while (m_reader.lastError() == QCborError::NoError && m_reader.hasNext()) {
                QCborValue item;
                if (!read(item, depth + 1))
                    return false;
                array.append(item);
            }
            if (m_reader.lastError() != QCborError::NoError || !m_reader.leaveContainer())
                return fail(QStringLiteral("malformed array"));
            out = array;
            return true;
        }
        case QCborStreamReader::Map: {
            if (m_reader.isLengthKnown() && m_reader.length() > quint64(remaining() / 2 + 1))
                return fail(QStringLiteral("map longer than the archive"));
            if (!m_reader.enterContainer())
                return fail(QStringLiteral("malformed map"));
            QCborMap map;
            while (m_reader.lastError() == QCborError::NoError && m_reader.hasNext()) {
                QCborValue key, value;
                if (!read(key, depth + 1))
                    return false;
                if (!m_reader.hasNext())
                    return fail(QStringLiteral("map key without value"));
                if (!read(value, depth + 1))
                    return false;
                map.insert(key, value);
            }
            if (m_reader.lastError() != QCborError::NoError || !m_reader.leaveContainer())
                return fail(QStringLiteral("malformed map"));
            out = map;
            return true;
        }
        case QCborStreamReader::Tag: {
            const QCborTag tag = m_reader.toTag();
            if (!m_reader.next())
                return fail(QStringLiteral("truncated tag"));
            QCborValue inner;
            if (!read(inner, depth + 1))
                return false;
            if (tag == QCborKnownTags::DateTimeString && inner.isString())
                out = QCborValue(QDateTime::fromString(inner.toString(), Qt::ISODateWithMs));
            else
                out = inner;
            return true;
        }
        default:
            return fail(QStringLiteral("unsupported or malformed archive item"));
        }
    }

    bool atEnd() const { return m_reader.currentOffset() >= m_data.size(); }
    QString error() const { return m_error; }

private:
    qint64 remaining() const { return m_data.size() - m_reader.currentOffset(); }

    bool fail(const QString &msg)
    {
        if (m_error.isEmpty())
            m_error = msg;
        return false;
    }

    bool readBytes(QByteArray &out)
    {
        for (;;) {
            if (m_reader.currentStringChunkSize() > remaining())
                return fail(QStringLiteral("data longer than the archive"));
            auto r = m_reader.readByteArray();
            if (r.status == QCborStreamReader::Error)
                return fail(QStringLiteral("malformed data"));
            out += r.data;
            if (r.status == QCborStreamReader::EndOfString)
                return true;
        }
    }
    bool readText(QByteArray &out)
    {
        for (;;) {
            if (m_reader.currentStringChunkSize() > remaining())
                return fail(QStringLiteral("text longer than the archive"));
            auto r = m_reader.readString();
            if (r.status == QCborStreamReader::Error)
                return fail(QStringLiteral("malformed text"));
            out += r.data.toUtf8();
            if (r.status == QCborStreamReader::EndOfString)
                return true;
        }
    }

    const QByteArray &m_data;
    QCborStreamReader m_reader;
    QString m_error;
};

} // namespace

KeyedArchiver::KeyedArchiver(const QString &className)
{
    m_map.insert(kClassKey, className);
}

void KeyedArchiver::encodeString(const QString &key, const QString &value) { m_map.insert(key, value); }
void KeyedArchiver::encodeInt64(const QString &key, qint64 value) { m_map.insert(key, value); }
void KeyedArchiver::encodeDouble(const QString &key, double value) { m_map.insert(key, value); }
void KeyedArchiver::encodeBool(const QString &key, bool value) { m_map.insert(key, value); }
void KeyedArchiver::encodeBytes(const QString &key, const QByteArray &value) { m_map.insert(key, value); }
void KeyedArchiver::encodeDate(const QString &key, const QDateTime &value)
{
    if (value.isValid())
        m_map.insert(key, QCborValue(value.toUTC()));
}
void KeyedArchiver::encodeStringList(const QString &key, const QStringList &value)
{
    m_map.insert(key, QCborArray::fromStringList(value));
}
void KeyedArchiver::encodeVariant(const QString &key, const QVariant &value)
{
    if (value.isValid())
        m_map.insert(key, variantToCbor(value));
}
void KeyedArchiver::encodeObject(const QString &key, const KeyedArchivable &value)
{
    m_map.insert(key, archiveOf(value));
}
void KeyedArchiver::encodeObject(const QString &key, const KeyedArchivable *value)
{
    if (value)
        encodeObject(key, *value);
}

QByteArray KeyedArchiver::archivedData() const { return m_map.toCborValue().toCbor(); }

QCborMap KeyedArchiver::archiveOf(const KeyedArchivable &object)
{
    KeyedArchiver coder(object.archiveClassName());
    object.encodeWithCoder(coder);
    return coder.m_map;
}

QByteArray KeyedArchiver::archivedDataWithRootObject(const KeyedArchivable &root)
{
    return QCborValue(archiveOf(root)).toCbor();
}

bool KeyedUnarchiver::parseCbor(const QByteArray &data, QCborValue &out, QString *error)
{
    auto setError = [&](const QString &e) {
        if (error)
            *error = e;
        return false;
    };
    if (data.isEmpty())
        return setError(QStringLiteral("empty archive"));
    if (data.size() > MaxArchiveSize)
        return setError(QStringLiteral("archive larger than %1 bytes").arg(MaxArchiveSize));
    BoundedReader reader(data);
    if (!reader.read(out, 0))
        return setError(reader.error());
    if (!reader.atEnd())
        return setError(QStringLiteral("trailing bytes after the archive"));
    return true;
}

KeyedUnarchiver::KeyedUnarchiver(const QByteArray &data)
{
    QCborValue root;
    if (!parseCbor(data, root, &m_error))
        return;
    if (!root.isMap()) {
        m_error = QStringLiteral("archive root is not a keyed record");
        return;
    }
    m_map = root.toMap();
}

KeyedUnarchiver::KeyedUnarchiver(const QCborMap &map) : m_map(map) {}

QString KeyedUnarchiver::className() const { return m_map.value(kClassKey).toString(); }

bool KeyedUnarchiver::containsKey(const QString &key) const { return m_map.contains(key); }

QString KeyedUnarchiver::decodeString(const QString &key) const
{
    return m_map.value(key).toString();
}

qint64 KeyedUnarchiver::decodeInt64(const QString &key) const
{
    const QCborValue v = m_map.value(key);
    if (v.isInteger())
        return v.toInteger();
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d != d || d >= 9.2e18 || d <= -9.2e18)
            return 0;
        return qint64(d);
    }
    if (v.isBool())
        return v.toBool() ? 1 : 0;
    return 0;
}

double KeyedUnarchiver::decodeDouble(const QString &key) const
{
    const QCborValue v = m_map.value(key);
    if (v.isDouble())
        return v.toDouble();
    if (v.isInteger())
        return double(v.toInteger());
    return 0.0;
}

bool KeyedUnarchiver::decodeBool(const QString &key) const
{
    const QCborValue v = m_map.value(key);
    if (v.isBool())
        return v.toBool();
    if (v.isInteger())
        return v.toInteger() != 0;
    return false;
}

QByteArray KeyedUnarchiver::decodeBytes(const QString &key) const { return m_map.value(key).toByteArray(); }

QDateTime KeyedUnarchiver::decodeDate(const QString &key) const
{
    const QCborValue v = m_map.value(key);
    if (v.isDateTime())
        return v.toDateTime();
    return {};
}

QStringList KeyedUnarchiver::decodeStringList(const QString &key) const
{
    QStringList out;
    for (const QCborValue &v : m_map.value(key).toArray())
        if (v.isString())
            out.append(v.toString());
    return out;
}

QVariant KeyedUnarchiver::decodeVariant(const QString &key) const
{
    return cborToVariant(m_map.value(key));
}

bool KeyedUnarchiver::decodeObject(const QString &key, KeyedArchivable &object) const
{
    const QCborValue v = m_map.value(key);
    if (!v.isMap())
        return false;
    KeyedUnarchiver child(v.toMap());
    const QString cls = child.className();
    if (!cls.isEmpty() && cls != object.archiveClassName())
        return false;
    object.initWithCoder(child);
    return true;
}

bool KeyedUnarchiver::unarchive(const QByteArray &data, KeyedArchivable &root, QString *error)
{
    KeyedUnarchiver coder(data);
    if (!coder.isValid()) {
        if (error)
            *error = coder.errorString();
        return false;
    }
    const QString cls = coder.className();
    if (!cls.isEmpty() && cls != root.archiveClassName()) {
        if (error)
            *error = QStringLiteral("archive holds a %1, not a %2").arg(cls, root.archiveClassName());
        return false;
    }
    root.initWithCoder(coder);
    return true;
}

QByteArray KeyedArchiver::archivedRootString(const QString &value)
{
    KeyedArchiver a;
    a.encodeString(QStringLiteral("root"), value);
    return a.archivedData();
}

QString KeyedUnarchiver::rootString(const QByteArray &data)
{
    KeyedUnarchiver u(data);
    return u.isValid() ? u.decodeString(QStringLiteral("root")) : QString();
}
