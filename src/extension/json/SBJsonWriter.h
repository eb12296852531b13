#pragma once

#include "extension/json/SBJsonBase.h"
#include "extension/json/SBJsonValue.h"

// Writes an object or an array as JSON text; with humanReadable every member and element on a
// line of its own, indented two spaces a level, and with sortKeys the keys in plain string
// order. A value it cannot write gives a null string and the reasons in the error trace.
class SBJsonWriter : public SBJsonBase
{
    Q_OBJECT

public:
    explicit SBJsonWriter(QObject *parent = nullptr);

    bool humanReadable() const { return m_humanReadable; }
    void setHumanReadable(bool on) { m_humanReadable = on; }
    bool sortKeys() const { return m_sortKeys; }
    void setSortKeys(bool on) { m_sortKeys = on; }

    QString stringWithObject(const SBJsonValue &value);
    QString stringWithObject(const SBJsonValue &value, SBJsonError *error);

private:
    bool appendValue(const SBJsonValue &v, QString &out);
    bool appendArray(const SBJsonValue &v, QString &out);
    bool appendObject(const SBJsonValue &v, QString &out);
    void appendString(const QString &s, QString &out) const;
    void appendIndent(QString &out) const;

    bool m_humanReadable = false;
    bool m_sortKeys = false;
};
