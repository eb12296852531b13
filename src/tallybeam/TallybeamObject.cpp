#include "tallybeam/TallybeamObject.h"

#include <QUrl>

TallybeamObject::~TallybeamObject() = default;

QString TallybeamObject::urlEncode(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}
