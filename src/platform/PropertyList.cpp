#include "platform/PropertyList.h"

#include "platform/SafeFileReader.h"
#include "platform/SafeSaveFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

class PlistReader
{
public:
    explicit PlistReader(const QByteArray &xml) : m_xml(xml) {}

    QVariant parse(QString *error)
    {
        QVariant result;
        bool inPlist = false;
        while (!m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::StartElement) {
                if (!inPlist && m_xml.name() == QLatin1String("plist")) {
                    inPlist = true;
                    continue;
                }
                if (result.isValid()) {
                    fail(QStringLiteral("more than one root value"));
                    break;
                }
                result = readValue(0);
                if (!m_error.isEmpty())
                    break;
            }
        }
        if (m_error.isEmpty() && m_xml.hasError())
            fail(QStringLiteral("XML error at line %1: %2").arg(m_xml.lineNumber()).arg(m_xml.errorString()));
        if (m_error.isEmpty() && !result.isValid())
            fail(QStringLiteral("no value in property list"));
        if (!m_error.isEmpty()) {
            if (error)
                *error = m_error;
            return {};
        }
        if (error)
            error->clear();
        return result;
    }

private:
    void fail(const QString &e)
    {
        if (m_error.isEmpty())
            m_error = e;
    }

    // Positioned on a start element; returns after its end element.
    QVariant readValue(int depth)
    {
        if (depth > PropertyList::MaxDepth) {
            fail(QStringLiteral("property list nested deeper than %1 levels").arg(PropertyList::MaxDepth));
            return {};
        }
        const QStringView name = m_xml.name();
        if (name == QLatin1String("dict"))
            return readDict(depth);
        if (name == QLatin1String("array"))
            return readArray(depth);
        if (name == QLatin1String("true") || name == QLatin1String("false")) {
            const bool v = name == QLatin1String("true");
            m_xml.skipCurrentElement();
            return v;
        }
        const QString elementName = name.toString();
        const QString text = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (m_xml.hasError()) {
            fail(QStringLiteral("malformed <%1>: %2").arg(elementName, m_xml.errorString()));
            return {};
        }
        if (elementName == QLatin1String("string"))
            return text;
        if (elementName == QLatin1String("integer")) {
            bool ok = false;
            const qint64 v = text.trimmed().toLongLong(&ok);
            if (!ok) {
                // Unsigned values above the signed range are legal in plists.
                const quint64 u = text.trimmed().toULongLong(&ok);
                if (ok)
                    return QVariant(qint64(qMin<quint64>(u, quint64(std::numeric_limits<qint64>::max()))));
                fail(QStringLiteral("bad integer \"%1\"").arg(text.left(40)));
                return {};
            }
            return QVariant(v);
        }
        if (elementName == QLatin1String("real")) {
            bool ok = false;
            const double v = text.trimmed().toDouble(&ok);
            if (!ok) {
                fail(QStringLiteral("bad real \"%1\"").arg(text.left(40)));
                return {};
            }
            return v;
        }
        if (elementName == QLatin1String("date")) {
            QDateTime dt = QDateTime::fromString(text.trimmed(), Qt::ISODate);
            if (!dt.isValid()) {
                fail(QStringLiteral("bad date \"%1\"").arg(text.left(40)));
                return {};
            }
            return dt.toUTC();
        }
        if (elementName == QLatin1String("data")) {
            QByteArray compact = text.toLatin1();
            compact.replace(' ', "").replace('\n', "").replace('\t', "").replace('\r', "");
            auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded) {
                fail(QStringLiteral("bad base64 in <data>"));
                return {};
            }
            return *decoded;
        }
        fail(QStringLiteral("unknown element <%1>").arg(elementName));
        return {};
    }

    QVariant readDict(int depth)
    {
        QVariantMap map;
        QString key;
        bool haveKey = false;
        while (m_error.isEmpty() && !m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::EndElement)
                break;
            if (token == QXmlStreamReader::Characters && !m_xml.isWhitespace()) {
                fail(QStringLiteral("text inside <dict>"));
                break;
            }
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (m_xml.name() == QLatin1String("key")) {
                if (haveKey) {
                    fail(QStringLiteral("<key> without value"));
                    break;
                }
                key = m_xml.readElementText();
                haveKey = true;
                continue;
            }
            if (!haveKey) {
                fail(QStringLiteral("value without <key> in <dict>"));
                break;
            }
            const QVariant v = readValue(depth + 1);
            if (!m_error.isEmpty())
                break;
            map.insert(key, v);
            haveKey = false;
        }
        if (m_error.isEmpty() && haveKey)
            fail(QStringLiteral("<key> without value"));
        if (m_error.isEmpty() && m_xml.hasError())
            fail(m_xml.errorString());
        return map;
    }

    QVariant readArray(int depth)
    {
        QVariantList list;
        while (m_error.isEmpty() && !m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::EndElement)
                break;
            if (token == QXmlStreamReader::Characters && !m_xml.isWhitespace()) {
                fail(QStringLiteral("text inside <array>"));
                break;
            }
            if (token != QXmlStreamReader::StartElement)
                continue;
            const QVariant v = readValue(depth + 1);
            if (!m_error.isEmpty())
                break;
            list.append(v);
        }
        if (m_error.isEmpty() && m_xml.hasError())
            fail(m_xml.errorString());
        return list;
    }

    QXmlStreamReader m_xml;
    QString m_error;
};

void writeValue(QXmlStreamWriter &w, const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::QVariantMap: {
        w.writeStartElement(QStringLiteral("dict"));
        const QVariantMap map = v.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (!it.value().isValid())
                continue;
            w.writeTextElement(QStringLiteral("key"), it.key());
            writeValue(w, it.value());
        }
        w.writeEndElement();
        break;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        w.writeStartElement(QStringLiteral("array"));
        for (const QVariant &item : v.toList())
            if (item.isValid())
                writeValue(w, item);
        w.writeEndElement();
        break;
    }
    case QMetaType::Bool:
        w.writeEmptyElement(v.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        w.writeTextElement(QStringLiteral("integer"), v.toString());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        w.writeTextElement(QStringLiteral("real"), QString::number(v.toDouble(), 'g', 17));
        break;
    case QMetaType::QDateTime:
        w.writeTextElement(QStringLiteral("date"), v.toDateTime().toUTC().toString(Qt::ISODate));
        break;
    case QMetaType::QByteArray:
        w.writeTextElement(QStringLiteral("data"), QString::fromLatin1(v.toByteArray().toBase64()));
        break;
    default:
        w.writeTextElement(QStringLiteral("string"), v.toString());
        break;
    }
}

} // namespace

QVariant PropertyList::fromXml(const QByteArray &xml, QString *error)
{
    PlistReader reader(xml);
    return reader.parse(error);
}

QByteArray PropertyList::toXml(const QVariant &value)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(-1);
    w.writeStartDocument();
    w.writeDTD(QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                              "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"));
    w.writeStartElement(QStringLiteral("plist"));
    w.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    writeValue(w, value);
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

QString PropertyList::moveAside(const QString &path)
{
    const QString target = path + QStringLiteral(".damaged-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmsszzz"));
    return QFile::rename(path, target) ? target : QString();
}

QVariant PropertyList::readFile(const QString &path, QString *error, OnDamage onDamage)
{
    if (error)
        error->clear();
    // Property lists here are settings and small queues; anything huge is not ours.
    constexpr qint64 MaxFileSize = 64 * 1024 * 1024;
    const SafeFileReader::Result read = SafeFileReader::read(path, MaxFileSize);
    if (read.status == SafeFileReader::Status::Missing)
        return {};
    if (read.status == SafeFileReader::Status::Refused || read.status == SafeFileReader::Status::Failed) {
        if (error)
            *error = read.error;
        return {};
    }
    QString parseError;
    QVariant value;
    if (read.status == SafeFileReader::Status::TooLarge)
        parseError = QStringLiteral("file larger than %1 bytes").arg(MaxFileSize);
    else
        value = fromXml(read.data, &parseError);
    if (parseError.isEmpty())
        return value;
    QString message = QStringLiteral("damaged property list %1: %2").arg(path, parseError);
    if (onDamage == OnDamage::MoveAside) {
        const QString aside = moveAside(path);
        if (!aside.isEmpty())
            message += QStringLiteral(" (moved to %1)").arg(aside);
    }
    if (error)
        *error = message;
    return {};
}

bool PropertyList::writeFile(const QString &path, const QVariant &value, QString *error)
{
    return writeData(path, toXml(value), error);
}

bool PropertyList::writeData(const QString &path, const QByteArray &data, QString *error)
{
    SafeSaveFile f(path);
    // Unbuffered, so a short write is seen here rather than lost in a late flush.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || f.write(data) != data.size() || !f.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
        f.cancelWriting();
        return false;
    }
    if (error)
        error->clear();
    return true;
}
