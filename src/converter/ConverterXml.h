#pragma once

#include <QDomDocument>
#include <QString>

// The converter's XML data files (presets, slice lists) are read strictly first and, when
// that fails, once more after a conservative repair: stray "&" escaped, control characters
// dropped and elements left open by a cut-off file closed. A file that still fails, or that
// has no root element, counts as unreadable.
namespace ConverterXml {

struct ReadResult
{
    QDomDocument document;
    bool ok = false;        // a root element was read
    bool repaired = false;  // only the repaired text parsed
    QString error;          // why the strict read failed (empty when it did not)
};

ReadResult readFile(const QString &path);
ReadResult readData(const QByteArray &data);
// The repair pass alone, for tests and for the reader above.
QByteArray repair(const QByteArray &data);

// Element children only (text and comments skipped).
QList<QDomElement> childElements(const QDomElement &parent);
// Full text content of an element, untrimmed.
QString elementText(const QDomElement &element);

} // namespace ConverterXml
