#include "reelgrab/JKSerializer.h"

#include <QByteArray>
#include <QCborArray>
#include <QCborMap>
#include <QCborValue>
#include <QMetaMethod>
#include <QMetaObject>
#include <QObject>
#include <QStringList>
#include <QVariantHash>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <stdexcept>

namespace {

// Values nested deeper than this are refused rather than recursed into.
constexpr int MaxDepth = 512;

class Encoder
{
public:
    Encoder(quint32 options, quint32 encodeOption, const JKSerializer::UnsupportedBlock &block, QObject *delegate,
            const char *selector)
        : m_options(options), m_encodeOption(encodeOption), m_block(block), m_delegate(delegate), m_selector(selector)
    {
    }

    bool encodeTop(const QVariant &object)
    {
        m_out.reserve(16 * 1024);
        return encode(object, 0, true);
    }

    const QByteArray &output() const { return m_out; }
    const std::optional<JSONError> &error() const { return m_error; }

    bool fail(const QString &message)
    {
        if (!m_error) {
            JSONError e;
            e.message = message;
            m_error = e;
        }
        return false;
    }

private:
    static QString className(const QVariant &v)
    {
        const char *name = v.typeName();
        return name ? QString::fromLatin1(name) : QStringLiteral("(null)");
    }

    void appendEscape(char16_t c)
    {
        static const char hex[] = "0123456789abcdef";
        const char text[] = {'\\', 'u', hex[(c >> 12) & 0xF], hex[(c >> 8) & 0xF], hex[(c >> 4) & 0xF], hex[c & 0xF]};
        m_out.append(text, sizeof text);
    }

    void newline(int depth)
    {
        m_out.append('\n');
        m_out.append(QByteArray(qsizetype(depth) * 2, ' '));
    }

    bool encodeString(const QString &s, bool quotes)
    {
        if (quotes)
            m_out.append('"');
        const bool escapeUnicode = m_options & JKSerializeOptionEscapeUnicode;
        const bool escapeSlash = m_options & JKSerializeOptionEscapeForwardSlashes;
        for (qsizetype i = 0; i < s.size(); ++i) {
            const char16_t c = s.at(i).unicode();
            switch (c) {
            case u'"': m_out.append("\\\""); continue;
            case u'\\': m_out.append("\\\\"); continue;
            case u'\b': m_out.append("\\b"); continue;
            case u'\t': m_out.append("\\t"); continue;
            case u'\n': m_out.append("\\n"); continue;
            case u'\f': m_out.append("\\f"); continue;
            case u'\r': m_out.append("\\r"); continue;
            case u'/':
                m_out.append(escapeSlash ? "\\/" : "/");
                continue;
            default:
                break;
            }
            if (c < 0x20) {
                appendEscape(c);
            } else if (c < 0x80) {
                m_out.append(char(c));
            } else if (escapeUnicode) {
                appendEscape(c);
            } else if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
                m_out.append(QStringView(s).mid(i, 2).toUtf8());
                ++i;
            } else if (QChar::isSurrogate(c)) {
                return fail(QStringLiteral("Error converting UTF8."));
            } else {
                m_out.append(QStringView(s).mid(i, 1).toUtf8());
            }
        }
        if (quotes)
            m_out.append('"');
        return true;
    }

    bool encodeCbor(const QCborValue &v, int depth)
    {
        if (depth > MaxDepth)
            return fail(QStringLiteral("Unable to serialize object: nested deeper than %1.").arg(MaxDepth));
        if (v.isArray()) {
            const QCborArray a = v.toArray();
            return encodeSequence(a.size(), depth, [&](qsizetype i) { return encodeCbor(a.at(i), depth + 1); });
        }
        if (v.isMap()) {
            const QCborMap m = v.toMap();
            QList<QPair<QString, QCborValue>> entries;
            for (auto it = m.begin(); it != m.end(); ++it) {
                if (!it.key().isString())
                    return fail(QStringLiteral("Key must be a string object."));
                entries.append({it.key().toString(), it.value()});
            }
            if (m_options & JKSerializeOptionPretty)
                std::stable_sort(entries.begin(), entries.end(),
                                 [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
            return encodeMembers(entries.size(), depth, [&](qsizetype i) { return entries.at(i).first; },
                                 [&](qsizetype i) { return encodeCbor(entries.at(i).second, depth + 1); });
        }
        if (v.isString())
            return encodeString(v.toString(), true);
        if (v.isBool()) {
            m_out.append(v.toBool() ? "true" : "false");
            return true;
        }
        if (v.isInteger()) {
            m_out.append(QByteArray::number(v.toInteger()));
            return true;
        }
        if (v.isDouble())
            return encodeDouble(v.toDouble());
        if (v.isNull() || v.isUndefined()) {
            m_out.append("null");
            return true;
        }
        return encode(v.toVariant(), depth, false);
    }

    bool encodeDouble(double d)
    {
        if (!std::isfinite(d))
            return fail(QStringLiteral("Floating point values must be finite.  JSON does not support NaN or Infinity."));
        // Locale-independent "%.17g".
        char buffer[64];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, d, std::chars_format::general, 17);
        m_out.append(buffer, r.ptr - buffer);
        return true;
    }

    template <typename Each>
    bool encodeSequence(qsizetype count, int depth, Each each)
    {
        const bool pretty = m_options & JKSerializeOptionPretty;
        m_out.append('[');
        for (qsizetype i = 0; i < count; ++i) {
            if (i > 0)
                m_out.append(',');
            if (pretty)
                newline(depth + 1);
            if (!each(i))
                return false;
        }
        if (pretty && count > 0)
            newline(depth);
        m_out.append(']');
        return true;
    }

    template <typename KeyAt, typename ValueAt>
    bool encodeMembers(qsizetype count, int depth, KeyAt keyAt, ValueAt valueAt)
    {
        const bool pretty = m_options & JKSerializeOptionPretty;
        m_out.append('{');
        for (qsizetype i = 0; i < count; ++i) {
            if (i > 0)
                m_out.append(',');
            if (pretty)
                newline(depth + 1);
            if (!encodeString(keyAt(i), true))
                return false;
            m_out.append(pretty ? ": " : ":");
            if (!valueAt(i))
                return false;
        }
        if (pretty && count > 0)
            newline(depth);
        m_out.append('}');
        return true;
    }

    template <typename Map>
    bool encodeMap(const Map &map, int depth)
    {
        QStringList keys = map.keys();
        if (m_options & JKSerializeOptionPretty)
            std::sort(keys.begin(), keys.end(), [](const QString &a, const QString &b) { return a.compare(b) < 0; });
        return encodeMembers(keys.size(), depth, [&](qsizetype i) { return keys.at(i); },
                             [&](qsizetype i) { return encode(map.value(keys.at(i)), depth + 1, false); });
    }

    // Returns the replacement for an unsupported value, or an invalid QVariant.
    QVariant replacementFor(const QVariant &v)
    {
        if (m_block)
            return m_block(v);
        if (m_delegate && m_selector) {
            QVariant result;
            QMetaObject::invokeMethod(m_delegate, m_selector, Qt::DirectConnection, Q_RETURN_ARG(QVariant, result),
                                      Q_ARG(QVariant, v));
            return result;
        }
        return {};
    }

    bool encode(const QVariant &v, int depth, bool top, const QVariant *original = nullptr)
    {
        if (depth > MaxDepth)
            return fail(QStringLiteral("Unable to serialize object: nested deeper than %1.").arg(MaxDepth));
        const int type = v.metaType().id();
        switch (type) {
        case QMetaType::UnknownType:
        case QMetaType::Nullptr:
            m_out.append("null");
            return true;
        case QMetaType::QString:
            return encodeString(v.toString(), !(top && (m_encodeOption & JKEncodeOptionStringObjTrimQuotes)));
        case QMetaType::Bool:
            m_out.append(v.toBool() ? "true" : "false");
            return true;
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::Short:
        case QMetaType::Int:
        case QMetaType::Long:
        case QMetaType::LongLong:
            m_out.append(QByteArray::number(v.toLongLong()));
            return true;
        case QMetaType::UChar:
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
            m_out.append(QByteArray::number(v.toULongLong()));
            return true;
        case QMetaType::Float:
        case QMetaType::Double:
            return encodeDouble(v.toDouble());
        case QMetaType::QVariantList: {
            const QVariantList list = v.toList();
            return encodeSequence(list.size(), depth, [&](qsizetype i) { return encode(list.at(i), depth + 1, false); });
        }
        case QMetaType::QStringList: {
            const QStringList list = v.toStringList();
            return encodeSequence(list.size(), depth, [&](qsizetype i) { return encodeString(list.at(i), true); });
        }
        case QMetaType::QVariantMap:
            return encodeMap(v.toMap(), depth);
        case QMetaType::QVariantHash:
            return encodeMap(v.toHash(), depth);
        case QMetaType::QCborValue:
            return encodeCbor(v.value<QCborValue>(), depth);
        case QMetaType::QCborArray:
            return encodeCbor(QCborValue(v.value<QCborArray>()), depth);
        case QMetaType::QCborMap:
            return encodeCbor(QCborValue(v.value<QCborMap>()), depth);
        default:
            break;
        }
        if (original)
            return fail(QStringLiteral("Unable to serialize object class %1 that was returned by the unsupported class "
                                       "formatter.  Original object class was %2.")
                            .arg(className(v), className(*original)));
        const QVariant replacement = replacementFor(v);
        if (!replacement.isValid())
            return fail(QStringLiteral("Unable to serialize object class %1.").arg(className(v)));
        return encode(replacement, depth, top, &v);
    }

    quint32 m_options;
    quint32 m_encodeOption;
    const JKSerializer::UnsupportedBlock &m_block;
    QObject *m_delegate;
    const char *m_selector;
    QByteArray m_out;
    std::optional<JSONError> m_error;
};

bool isCollection(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
    case QMetaType::QCborArray:
    case QMetaType::QCborMap:
        return true;
    case QMetaType::QCborValue: {
        const QCborValue c = v.value<QCborValue>();
        return c.isArray() || c.isMap();
    }
    default:
        return false;
    }
}

} // namespace

QVariant JKSerializer::serializeObject(const QVariant &object, quint32 options, quint32 encodeOption,
                                       const UnsupportedBlock &block, QObject *delegate, const char *selector,
                                       JSONError *error)
{
    if (delegate && !selector)
        throw std::invalid_argument("The delegate argument is not NULL, but the selector argument is NULL.");
    if (delegate) {
        const QByteArray signature = QByteArray(selector) + "(QVariant)";
        if (delegate->metaObject()->indexOfMethod(QMetaObject::normalizedSignature(signature.constData())) < 0)
            throw std::invalid_argument(
                "The serializeUnsupportedClassesUsingDelegate: delegate does not respond to the selector argument.");
    }

    Encoder encoder(options, encodeOption, block, delegate, selector);
    auto failed = [&](const QString &message) {
        if (error) {
            *error = JSONError();
            error->message = message;
        }
        return QVariant();
    };
    auto typeName = [](const QVariant &v) {
        return v.typeName() ? QString::fromLatin1(v.typeName()) : QStringLiteral("(null)");
    };
    if ((encodeOption & JKEncodeOptionCollectionObj) && !isCollection(object))
        return failed(QStringLiteral("Unable to serialize object class %1, expected a NSArray or NSDictionary.")
                          .arg(typeName(object)));
    if ((encodeOption & JKEncodeOptionStringObj) && object.metaType().id() != QMetaType::QString)
        return failed(QStringLiteral("Unable to serialize object class %1, expected a NSString.").arg(typeName(object)));
    const quint32 asType = encodeOption & JKEncodeOptionAsTypeMask;
    if (asType != JKEncodeOptionAsData && asType != JKEncodeOptionAsString)
        return failed(QStringLiteral("Unknown encode as type."));

    if (!encoder.encodeTop(object)) {
        if (error)
            *error = *encoder.error();
        return {};
    }
    if (asType == JKEncodeOptionAsData)
        return QVariant(encoder.output());
    return QVariant(QString::fromUtf8(encoder.output()));
}
