#include "converter/MacPreferences.h"

#include "platform/log/ScribletLogger.h"
#include "platform/AppPaths.h"
#include "platform/MainBundle.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString domainFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath(QStringLiteral("FennixPro"));
}

QString safeDomainName(const QString &appID)
{
    QString name = appID;
    for (QChar &c : name)
        if (!(c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u'_'))
            c = u'_';
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("domain");
    return name;
}

bool isText(const QVariant &v) { return v.typeId() == QMetaType::QString; }
bool isArray(const QVariant &v) { return v.typeId() == QMetaType::QVariantList || v.typeId() == QMetaType::QStringList; }
bool isDictionary(const QVariant &v) { return v.typeId() == QMetaType::QVariantMap; }

} // namespace

MacPreferences::MacPreferences(const QString &appID)
    : m_strAppID(appID.isEmpty() ? MainBundle::infoString(QStringLiteral("CFBundleIdentifier")) : appID)
    , m_strUserDomin(QStringLiteral("CurrentUser"))
    , m_strHostDomin(QStringLiteral("AnyHost"))
{
    if (m_strAppID.isEmpty())
        m_strAppID = QStringLiteral("com.fennixpro.FennixPro");
    m_filePath = QDir(domainFolder()).filePath(safeDomainName(m_strAppID) + QStringLiteral(".plist"));
    QString error;
    const QVariant stored = PropertyList::readFile(m_filePath, &error);
    if (!error.isEmpty())
        ScribletLogError(QStringLiteral("preferences %1 were damaged and set aside: %2").arg(m_filePath, error));
    m_values = stored.toMap();
}

bool MacPreferences::isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool MacPreferences::syncPreferences()
{
    if (!m_dirty)
        return true;
    AppPaths::ensureFolder(domainFolder());
    QString error;
    if (!PropertyList::writeFile(m_filePath, m_values, &error)) {
        ScribletLogError(QStringLiteral("cannot write preferences %1: %2").arg(m_filePath, error));
        return false;
    }
    m_dirty = false;
    return true;
}

void MacPreferences::setPreferencesValue(const QVariant &value, const QString &key)
{
    if (!value.isValid() || value.isNull() || key.isEmpty())
        return;
    const QStringList parts = key.split(QLatin1Char('/'));
    if (parts.size() == 1) {
        m_values.insert(key, value);
    } else if (parts.size() == 2) {
        const QVariant current = m_values.value(parts[0]);
        QVariantMap group = isDictionary(current) ? current.toMap() : QVariantMap();
        group.insert(parts[1], value);
        m_values.insert(parts[0], group);
    } else {
        return;
    }
    m_dirty = true;
    if (m_bAutoSync)
        syncPreferences();
}

void MacPreferences::setNumber(const QVariant &value, const QString &key)
{
    if (isNumber(value))
        setPreferencesValue(value, key);
}

void MacPreferences::setStringValue(const QVariant &value, const QString &key)
{
    if (isText(value))
        setPreferencesValue(value, key);
}

void MacPreferences::setArrayValue(const QVariant &value, const QString &key)
{
    if (isArray(value))
        setPreferencesValue(value, key);
}

void MacPreferences::setDictionaryValue(const QVariant &value, const QString &key)
{
    if (isDictionary(value))
        setPreferencesValue(value, key);
}

QVariant MacPreferences::preferencesValueForKey(const QString &key) const
{
    if (key.isEmpty())
        return {};
    const QStringList parts = key.split(QLatin1Char('/'));
    if (parts.size() == 1)
        return m_values.value(key);
    if (parts.size() == 2) {
        const QVariant group = m_values.value(parts[0]);
        if (!isDictionary(group))
            return {};
        return group.toMap().value(parts[1]);
    }
    return {};
}

qint64 MacPreferences::intValueForKey(const QString &key) const
{
    const QVariant v = preferencesValueForKey(key);
    if (isNumber(v))
        return v.typeId() == QMetaType::Double ? qint64(v.toDouble()) : v.toLongLong();
    if (isText(v)) {
        // Leading integer of the text, as a number reader would take it.
        const QString t = v.toString().trimmed();
        qsizetype end = 0;
        if (end < t.size() && (t[end] == u'-' || t[end] == u'+'))
            ++end;
        while (end < t.size() && t[end].isDigit())
            ++end;
        return t.left(end).toLongLong();
    }
    return 0;
}

double MacPreferences::doubleValueForKey(const QString &key) const
{
    const QVariant v = preferencesValueForKey(key);
    if (isNumber(v))
        return v.toDouble();
    if (isText(v))
        return v.toString().trimmed().toDouble();
    return 0.0;
}

bool MacPreferences::boolValueForKey(const QString &key) const
{
    const QVariant v = preferencesValueForKey(key);
    return isNumber(v) && v.toDouble() != 0;
}

QString MacPreferences::stringValueForKey(const QString &key) const
{
    const QVariant v = preferencesValueForKey(key);
    return isText(v) ? v.toString() : QString();
}

QVariantList MacPreferences::arrayValueForKey(const QString &key) const
{
    const QVariant v = preferencesValueForKey(key);
    return isArray(v) ? v.toList() : QVariantList();
}

QVariantMap MacPreferences::dictionaryValueForKey(const QString &key) const
{
    const QVariant v = preferencesValueForKey(key);
    return isDictionary(v) ? v.toMap() : QVariantMap();
}
