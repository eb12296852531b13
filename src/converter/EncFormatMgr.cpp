#include "converter/EncFormatMgr.h"

#include "converter/ConverterXml.h"
#include "media/LogCreator.h"
#include "platform/SafeSaveFile.h"

#include <QFile>
#include <QSaveFile>

namespace {

void logCatalogue(const QString &message, int level = LogCreator::Info)
{
    LogCreator::logMsg(QStringLiteral("FormatItem: ") + message, level, 0);
}

} // namespace

std::unique_ptr<EncFormatMgr> EncFormatMgr::initWithFile(const QString &formatFile, const QString &customFormatFile)
{
    if (formatFile.isEmpty() || customFormatFile.isEmpty())
        return nullptr;
    auto mgr = std::make_unique<EncFormatMgr>();
    mgr->m_strFormatFile = formatFile;
    mgr->m_iDefaultFormatId = 0;
    mgr->m_iDefaultAudioFormatId = 0;
    const ConverterXml::ReadResult builtIn = ConverterXml::readFile(formatFile);
    if (!builtIn.ok) {
        logCatalogue(QStringLiteral("preset file %1 is unreadable: %2").arg(formatFile, builtIn.error), LogCreator::Error);
        return nullptr;
    }
    for (const QDomElement &e : ConverterXml::childElements(builtIn.document.documentElement())) {
        if (e.tagName() != QLatin1String("category"))
            continue;
        QVariantMap category;
        const QDomNamedNodeMap attributes = e.attributes();
        for (int i = 0; i < attributes.count(); ++i) {
            const QDomAttr attr = attributes.item(i).toAttr();
            category.insert(attr.name(), attr.value());
        }
        mgr->m_categoryList.append(category);
    }
    mgr->readPresetFile(formatFile, false);
    mgr->m_strCustomFormatFile = customFormatFile;
    mgr->readPresetFile(customFormatFile, true);
    return mgr;
}

bool EncFormatMgr::idInUse(int id) const
{
    for (const Item &item : m_formatList)
        if (item->iD() == id)
            return true;
    return false;
}

bool EncFormatMgr::readPresetFile(const QString &path, bool custom)
{
    if (custom && !QFile::exists(path))
        return false;
    const ConverterXml::ReadResult read = ConverterXml::readFile(path);
    if (!read.ok) {
        if (custom) {
            m_customError = QStringLiteral("%1 is damaged and was skipped: %2").arg(path, read.error);
            logCatalogue(m_customError, LogCreator::Error);
        }
        return false;
    }
    if (custom && read.repaired) {
        m_customError = QStringLiteral("%1 is damaged; read what could be repaired: %2").arg(path, read.error);
        logCatalogue(m_customError, LogCreator::Error);
    }
    const QDomElement root = read.document.documentElement();
    const QString defaultFormat = root.attribute(QStringLiteral("defaultFormat"));
    const QString defaultAudioFormat = root.attribute(QStringLiteral("defaultAudioFormat"));
    int position = 0;
    for (const QDomElement &e : ConverterXml::childElements(root)) {
        if (e.tagName() != QLatin1String("Format"))
            continue;
        const int i = position++;
        const int id = e.hasAttribute(QStringLiteral("id")) ? e.attribute(QStringLiteral("id")).trimmed().toInt() : i + 1;
        Item item = FormatItem::initWith(e, id);
        if (!item)
            continue;
        item->setFilePosition(i);
        if (custom) {
            item->setIsCustomFormat(true);
            // A user preset never hides another preset behind a shared identifier.
            if (idInUse(item->iD())) {
                int fresh = item->iD() > 0 ? item->iD() : 1;
                for (const Item &other : m_formatList)
                    fresh = qMax(fresh, other->iD() + 1);
                logCatalogue(QStringLiteral("user preset \"%1\" takes identifier %2 instead of %3 already in use")
                                 .arg(item->rawTitle())
                                 .arg(fresh)
                                 .arg(item->iD()));
                item->setID(fresh);
            }
        }
        m_formatList.append(item);
        if (item->title() == defaultFormat)
            m_iDefaultFormatId = item->iD();
        if (item->title() == defaultAudioFormat)
            m_iDefaultAudioFormatId = item->iD();
    }
    return true;
}

EncFormatMgr::Item EncFormatMgr::formatItemAtIndex(int index) const
{
    if (index < 0 || index >= m_formatList.size())
        return nullptr;
    return m_formatList[index];
}

EncFormatMgr::Item EncFormatMgr::formatItemForID(int id) const
{
    for (const Item &item : m_formatList)
        if (item->iD() == id)
            return item;
    return nullptr;
}

EncFormatMgr::Item EncFormatMgr::formatItemForTitle(const QString &title) const
{
    for (const Item &item : m_formatList)
        if (item->title() == title)
            return item;
    return nullptr;
}

EncFormatMgr::Item EncFormatMgr::defaultMp3Format() const { return formatItemForTitle(QStringLiteral("MP3")); }
EncFormatMgr::Item EncFormatMgr::defaultMp4Format() const { return formatItemForTitle(QStringLiteral("MP4")); }

EncFormatMgr::Item EncFormatMgr::defaultFormatItem() const
{
    if (m_formatList.isEmpty())
        return nullptr;
    if (Item item = formatItemForID(m_iDefaultFormatId))
        return item;
    return m_formatList.first();
}

EncFormatMgr::Item EncFormatMgr::defaultAudioFormat() const
{
    if (m_formatList.isEmpty())
        return nullptr;
    if (Item item = formatItemForID(m_iDefaultAudioFormatId); item && !item->enableVideoOutput())
        return item;
    for (const Item &item : m_formatList)
        if (!item->enableVideoOutput())
            return item;
    return m_formatList.first();
}

void EncFormatMgr::deleteFormatForID(int id)
{
    for (qsizetype i = 0; i < m_formatList.size(); ++i)
        if (m_formatList[i]->iD() == id) {
            m_formatList.removeAt(i);
            return;
        }
}

int EncFormatMgr::getUnUsedFormatIDStartWith(int n) const
{
    if (m_formatList.isEmpty())
        return n;
    for (int id = n; id < 2 * n; ++id)
        if (!idInUse(id))
            return id;
    return n;
}

bool EncFormatMgr::deleteCustomFormatWithId(int id)
{
    Item item = formatItemForID(id);
    if (!item || !item->isCustomFormat())
        return false;
    m_formatList.removeOne(item);

    const ConverterXml::ReadResult read = ConverterXml::readFile(m_strCustomFormatFile);
    if (!read.ok)
        return false;
    if (read.repaired) {
        // Writing the repaired text back would drop whatever the repair could not read.
        logCatalogue(QStringLiteral("%1 is damaged; it is left as it is").arg(m_strCustomFormatFile), LogCreator::Error);
        return false;
    }
    QDomDocument doc = read.document;
    QDomElement root = doc.documentElement();
    // The element is found by its own identifier, or by its place when it has none.
    QList<QDomElement> formats;
    for (const QDomElement &e : ConverterXml::childElements(root))
        if (e.tagName() == QLatin1String("Format"))
            formats.append(e);
    auto sameIdentity = [&](const QDomElement &e) {
        if (!item->hadIdAttribute())
            return !e.hasAttribute(QStringLiteral("id"));
        return e.hasAttribute(QStringLiteral("id")) && e.attribute(QStringLiteral("id")).trimmed().toInt() == item->fileId();
    };
    QDomElement target;
    if (item->filePosition() >= 0 && item->filePosition() < formats.size() && sameIdentity(formats[item->filePosition()]))
        target = formats[item->filePosition()];
    else if (item->hadIdAttribute())
        for (const QDomElement &e : formats)
            if (sameIdentity(e)) {
                target = e;
                break;
            }
    if (target.isNull())
        return true;
    const int removedPosition = int(formats.indexOf(target));
    root.removeChild(target);

    // Presets named by their place keep the identifier they have now.
    for (const Item &other : m_formatList) {
        if (!other->isCustomFormat() || other->filePosition() <= removedPosition)
            continue;
        if (!other->hadIdAttribute() && other->filePosition() < formats.size())
            formats[other->filePosition()].setAttribute(QStringLiteral("id"), other->iD());
        other->setFilePosition(other->filePosition() - 1);
    }

    SafeSaveFile out(m_strCustomFormatFile);
    if (!out.open(QIODevice::WriteOnly) || out.write(doc.toByteArray(4)) < 0 || !out.commit()) {
        logCatalogue(QStringLiteral("cannot write %1: %2").arg(m_strCustomFormatFile, out.errorString()), LogCreator::Error);
        return false;
    }
    return true;
}

QDomElement EncFormatMgr::getFormatElement(const FormatItem &item) const
{
    const ConverterXml::ReadResult read =
        ConverterXml::readFile(item.isCustomFormat() ? m_strCustomFormatFile : m_strFormatFile);
    if (!read.ok)
        return {};
    for (const QDomElement &e : ConverterXml::childElements(read.document.documentElement())) {
        if (e.tagName() != QLatin1String("Format"))
            continue;
        const QDomElement title = e.firstChildElement(QStringLiteral("Title"));
        if (!title.isNull() && title.text() == item.title())
            return e;
    }
    return {};
}
