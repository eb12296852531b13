#include "converter/ConverterXml.h"

#include "platform/SafeFileReader.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace ConverterXml {

namespace {

// Preset and slice files are a few hundred kilobytes at most; anything far larger is not one.
constexpr qint64 MaxFileBytes = 16 * 1024 * 1024;

bool parse(const QByteArray &data, QDomDocument *doc, QString *error)
{
    QString message;
    int line = 0;
    int column = 0;
    if (!doc->setContent(data, false, &message, &line, &column)) {
        if (error)
            *error = QStringLiteral("%1 (line %2, column %3)").arg(message).arg(line).arg(column);
        return false;
    }
    if (doc->documentElement().isNull()) {
        if (error)
            *error = QStringLiteral("no root element");
        return false;
    }
    return true;
}

} // namespace

QByteArray repair(const QByteArray &data)
{
    static const QRegularExpression entity(QStringLiteral("^&(#[0-9]+|#x[0-9A-Fa-f]+|[A-Za-z_][A-Za-z0-9._-]*);"));
    QByteArray cleaned;
    cleaned.reserve(data.size() + 64);
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
            continue;
        if (c == '&') {
            const QString ahead = QString::fromUtf8(data.mid(i, 16));
            if (!entity.match(ahead).hasMatch()) {
                cleaned += "&amp;";
                continue;
            }
        }
        cleaned += c;
    }

    // Re-write token by token; a file cut off in the middle gets its open elements closed.
    QByteArray out;
    QXmlStreamReader reader(cleaned);
    QXmlStreamWriter writer(&out);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.hasError())
            break;
        if (reader.tokenType() == QXmlStreamReader::StartDocument || reader.tokenType() == QXmlStreamReader::EndDocument)
            continue;
        writer.writeCurrentToken(reader);
    }
    if (reader.hasError() && reader.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        return cleaned;  // not a truncation: leave it to fail
    writer.writeEndDocument();
    return out;
}

ReadResult readData(const QByteArray &data)
{
    ReadResult result;
    if (parse(data, &result.document, &result.error)) {
        result.ok = true;
        return result;
    }
    QDomDocument repaired;
    if (parse(repair(data), &repaired, nullptr)) {
        result.document = repaired;
        result.ok = true;
        result.repaired = true;
    }
    return result;
}

ReadResult readFile(const QString &path)
{
    ReadResult result;
    QFile file(path);
    if (path.isEmpty() || !SafeFileReader::open(file)) {
        result.error = QStringLiteral("cannot open %1").arg(path);
        return result;
    }
    if (file.size() > MaxFileBytes) {
        result.error = QStringLiteral("%1 is too large (%2 bytes)").arg(path).arg(file.size());
        return result;
    }
    return readData(file.readAll());
}

QList<QDomElement> childElements(const QDomElement &parent)
{
    QList<QDomElement> out;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        out.append(e);
    return out;
}

QString elementText(const QDomElement &element) { return element.text(); }

} // namespace ConverterXml
