#pragma once

#include <QString>
#include <QVariant>

// Typed access to one preferences domain with one level of grouping: "A/B" is entry B of the
// dictionary stored under A; keys of three or more parts name nothing. The domain is kept as a
// property list so numbers, booleans and texts keep their kind across runs. Main thread only.
class MacPreferences
{
public:
    // appID empty: the application's own domain (the bundle identifier).
    explicit MacPreferences(const QString &appID = QString());
    static MacPreferences *initPreferencesWithAppID(const QString &appID) { return new MacPreferences(appID); }

    void setAutoSync(bool on) { m_bAutoSync = on; }
    bool autoSync() const { return m_bAutoSync; }
    // Writes pending changes; false when the domain file could not be written.
    bool syncPreferences();

    void setPreferencesValue(const QVariant &value, const QString &key);
    void setIntValue(qint64 value, const QString &key) { setPreferencesValue(value, key); }
    void setFloatValue(float value, const QString &key) { setPreferencesValue(double(value), key); }
    void setDoubleValue(double value, const QString &key) { setPreferencesValue(value, key); }
    void setBoolValue(bool value, const QString &key) { setPreferencesValue(value, key); }
    // Written only when the value is of that kind.
    void setNumber(const QVariant &value, const QString &key);
    void setStringValue(const QVariant &value, const QString &key);
    void setArrayValue(const QVariant &value, const QString &key);
    void setDictionaryValue(const QVariant &value, const QString &key);

    QVariant preferencesValueForKey(const QString &key) const;
    QVariant valueForKey(const QString &key) const { return preferencesValueForKey(key); }
    qint64 intValueForKey(const QString &key) const;
    float floatValueForKey(const QString &key) const { return float(doubleValueForKey(key)); }
    double doubleValueForKey(const QString &key) const;
    bool boolValueForKey(const QString &key) const;
    QString stringValueForKey(const QString &key) const;  // null unless text
    QVariantList arrayValueForKey(const QString &key) const;
    QVariantMap dictionaryValueForKey(const QString &key) const;
    bool hasValueForKey(const QString &key) const { return preferencesValueForKey(key).isValid(); }

    QString appID() const { return m_strAppID; }
    QString filePath() const { return m_filePath; }
    static bool isNumber(const QVariant &value);

private:
    bool m_bAutoSync = true;
    QString m_strAppID;
    QString m_strUserDomin;
    QString m_strHostDomin;
    QString m_filePath;
    QVariantMap m_values;
    bool m_dirty = false;
};
