#pragma once

#include <QMutex>
#include <QObject>
#include <QVariant>

class QSettings;

// The user's settings. Values live in an INI file under $XDG_CONFIG_HOME; registered
// defaults live in memory only and answer for keys the user never set. Safe from any thread;
// `changed` is emitted on the thread that made the change.
class UserDefaults : public QObject
{
    Q_OBJECT
public:
    // The application's defaults (QSettings' default organisation/application file).
    static UserDefaults &standard();

    // A separate store, e.g. a preferences domain or a test file.
    explicit UserDefaults(const QString &iniPath, QObject *parent = nullptr);
    ~UserDefaults() override;

    void registerDefaults(const QVariantMap &defaults);
    QVariantMap registeredDefaults() const;

    QVariant objectForKey(const QString &key) const;
    bool hasUserValue(const QString &key) const;
    QString stringForKey(const QString &key) const;
    // Text "12" reads as 12, true as 1, 2.7 as 2; anything else as 0.
    qint64 integerForKey(const QString &key) const;
    double doubleForKey(const QString &key) const;
    // "YES", "yes", "true", "1" and non-zero numbers read as true.
    bool boolForKey(const QString &key) const;
    QVariantList arrayForKey(const QString &key) const;
    QVariantMap dictionaryForKey(const QString &key) const;
    QStringList stringArrayForKey(const QString &key) const;

    void setObject(const QString &key, const QVariant &value);
    void setInteger(const QString &key, qint64 value) { setObject(key, value); }
    void setBool(const QString &key, bool value) { setObject(key, value); }
    void setString(const QString &key, const QString &value) { setObject(key, value); }
    void setDouble(const QString &key, double value) { setObject(key, value); }
    void removeObjectForKey(const QString &key);
    QStringList userKeys() const;
    bool synchronize();
    QString filePath() const;

    static qint64 toInteger(const QVariant &v);
    static bool toBool(const QVariant &v);

signals:
    void changed(const QString &key);

private:
    UserDefaults();
    mutable QMutex m_mutex;
    QSettings *m_settings;
    QVariantMap m_registered;
};
