#include "platform/UserDefaults.h"

#include "platform/SafeFileReader.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>

UserDefaults &UserDefaults::standard()
{
    static UserDefaults *instance = new UserDefaults();
    return *instance;
}

namespace {

// True when the file holds what no settings writer makes: NUL or invalid UTF-8 bytes, or a
// line that is neither blank, a comment, a [section] nor key=value. QSettings skips such parts
// silently and the next write would drop them for good.
bool looksDamaged(const QByteArray &bytes)
{
    if (bytes.contains('\0'))
        return true;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return true;
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) ? !line.endsWith(QLatin1Char(']')) : !line.contains(QLatin1Char('=')))
            return true;
    }
    return false;
}

// Keeps a damaged settings file aside before anything is written over it.
void keepDamagedAside(QSettings &settings)
{
    const QString path = settings.fileName();
    if (settings.format() != QSettings::IniFormat && settings.format() != QSettings::NativeFormat)
        return;
    const SafeFileReader::Result read = SafeFileReader::read(path, 64 * 1024 * 1024);
    if (read.status != SafeFileReader::Status::Ok || !looksDamaged(read.data))
        return;
    QString aside = path + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".damaged-%1").arg(n);
    if (QFile::copy(path, aside))
        qWarning("UserDefaults: %s is damaged; kept as %s, defaults apply", qPrintable(path), qPrintable(aside));
    else
        qWarning("UserDefaults: %s is damaged and could not be kept aside", qPrintable(path));
}

// QSettings reads its files as it is made: a FIFO or a device under a settings name would
// block it for good. Such a name is moved aside (a rename never opens it) so a fresh file is
// written in its place.
const QString &clearedForSettings(const QString &path)
{
    if (SafeFileReader::isRegularOrMissing(path))
        return path;
    const QString aside = path + QStringLiteral(".refused-")
                          + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmsszzz"));
    if (QFile::rename(path, aside))
        qWarning("UserDefaults: %s is not a regular file; moved to %s", qPrintable(path), qPrintable(aside));
    else
        qWarning("UserDefaults: %s is not a regular file and could not be moved aside", qPrintable(path));
    return path;
}

// The files QSettings() reads for this program: the organisation's and the application's.
QSettings *defaultSettings()
{
    QString organization = QCoreApplication::organizationName();
    if (organization.isEmpty())
        organization = QStringLiteral("Unknown Organization");
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/');
    clearedForSettings(base + organization + QStringLiteral(".conf"));
    clearedForSettings(base + organization + QLatin1Char('/') + QCoreApplication::applicationName() + QStringLiteral(".conf"));
    return new QSettings();
}

} // namespace

UserDefaults::UserDefaults() : m_settings(defaultSettings())
{
    keepDamagedAside(*m_settings);
}

UserDefaults::UserDefaults(const QString &iniPath, QObject *parent)
    : QObject(parent), m_settings(new QSettings(clearedForSettings(iniPath), QSettings::IniFormat))
{
    keepDamagedAside(*m_settings);
}

UserDefaults::~UserDefaults()
{
    m_settings->sync();
    delete m_settings;
}

void UserDefaults::registerDefaults(const QVariantMap &defaults)
{
    QMutexLocker lock(&m_mutex);
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        m_registered.insert(it.key(), it.value());
}

QVariantMap UserDefaults::registeredDefaults() const
{
    QMutexLocker lock(&m_mutex);
    return m_registered;
}

QVariant UserDefaults::objectForKey(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    const QVariant v = m_settings->value(key);
    if (v.isValid())
        return v;
    return m_registered.value(key);
}

bool UserDefaults::hasUserValue(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    return m_settings->contains(key);
}

QString UserDefaults::stringForKey(const QString &key) const
{
    const QVariant v = objectForKey(key);
    switch (v.typeId()) {
    case QMetaType::QString:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::QByteArray:
        return v.toString();
    default:
        return {};
    }
}

qint64 UserDefaults::toInteger(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (d != d || d >= 9.2e18 || d <= -9.2e18)
            return 0;
        return qint64(d);
    }
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString s = v.toString().trimmed();
        bool ok = false;
        const qint64 i = s.toLongLong(&ok);
        if (ok)
            return i;
        const double d = s.toDouble(&ok);
        if (ok && d == d && d < 9.2e18 && d > -9.2e18)
            return qint64(d);
        if (s.compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0
            || s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return 1;
        return 0;
    }
    default:
        return v.canConvert<qint64>() ? v.toLongLong() : 0;
    }
}

bool UserDefaults::toBool(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool();
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString s = v.toString().trimmed();
        if (s.compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0
            || s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        return toInteger(v) != 0;
    }
    default:
        return toInteger(v) != 0;
    }
}

qint64 UserDefaults::integerForKey(const QString &key) const { return toInteger(objectForKey(key)); }

double UserDefaults::doubleForKey(const QString &key) const
{
    const QVariant v = objectForKey(key);
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d : 0.0;
}

bool UserDefaults::boolForKey(const QString &key) const { return toBool(objectForKey(key)); }

QVariantList UserDefaults::arrayForKey(const QString &key) const
{
    const QVariant v = objectForKey(key);
    if (v.typeId() == QMetaType::QVariantList || v.typeId() == QMetaType::QStringList)
        return v.toList();
    return {};
}

QVariantMap UserDefaults::dictionaryForKey(const QString &key) const
{
    const QVariant v = objectForKey(key);
    if (v.typeId() == QMetaType::QVariantMap)
        return v.toMap();
    return {};
}

QStringList UserDefaults::stringArrayForKey(const QString &key) const
{
    QStringList out;
    for (const QVariant &v : arrayForKey(key)) {
        if (v.typeId() != QMetaType::QString)
            return {};
        out.append(v.toString());
    }
    return out;
}

void UserDefaults::setObject(const QString &key, const QVariant &value)
{
    {
        QMutexLocker lock(&m_mutex);
        if (!value.isValid())
            m_settings->remove(key);
        else
            m_settings->setValue(key, value);
    }
    emit changed(key);
}

void UserDefaults::removeObjectForKey(const QString &key) { setObject(key, QVariant()); }

QStringList UserDefaults::userKeys() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings->allKeys();
}

bool UserDefaults::synchronize()
{
    QMutexLocker lock(&m_mutex);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString UserDefaults::filePath() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings->fileName();
}
