#include "feedback/CTCoreAttachment.h"

#include "platform/MainBundle.h"
#include "platform/PropertyList.h"
#include "platform/SafeFileReader.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

CTCoreAttachment::CTCoreAttachment(const QByteArray &data, const QString &contentType, const QString &filename)
    : CTBareAttachment(filename, contentType), m_data(data)
{
}

std::optional<CTCoreAttachment> CTCoreAttachment::attachmentWithContentsOfFile(const QString &path)
{
    QFile file(path);
    if (!SafeFileReader::open(file))
        return std::nullopt;
    const QFileInfo info(path);
    return CTCoreAttachment(file.readAll(), contentTypeForExtension(info.fileName().section(QLatin1Char('.'), -1)),
                            info.fileName());
}

QString CTCoreAttachment::contentTypeForExtension(const QString &extension)
{
    static const QVariantMap types = [] {
        const QString path = MainBundle::pathForResource(QStringLiteral("types"), QStringLiteral("plist"));
        return path.isEmpty() ? QVariantMap() : PropertyList::readFile(path, nullptr, PropertyList::OnDamage::Keep).toMap();
    }();
    for (auto it = types.cbegin(); it != types.cend(); ++it)
        if (it.value().toStringList().contains(extension))
            return it.key();
    return QStringLiteral("application/octet-stream");
}

bool CTCoreAttachment::writeToFile(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_data) != m_data.size())
        return false;
    return file.commit();
}
