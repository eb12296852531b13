#include "extension/json/SBJsonWriter.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

SBJsonWriter::SBJsonWriter(QObject *parent) : SBJsonBase(parent) {}

QString SBJsonWriter::stringWithObject(const SBJsonValue &value)
{
    clearErrorTrace();
    m_depth = 0;
    if (value.isArray() || value.isObject()) {
        QString out;
        out.reserve(128);
        if (appendValue(value, out))
            return out;
        return {};
    }
    addErrorWithCode(4, QStringLiteral("Not valid type for JSON"));
    return {};
}

QString SBJsonWriter::stringWithObject(const SBJsonValue &value, SBJsonError *error)
{
    QString s = stringWithObject(value);
    if (s.isNull() && error && !errorTrace().isEmpty())
        *error = errorTrace().last();
    return s;
}

bool SBJsonWriter::appendValue(const SBJsonValue &v, QString &out)
{
    using T = SBJsonValue::Type;
    switch (v.type()) {
    case T::Object: return appendObject(v, out);
    case T::Array: return appendArray(v, out);
    case T::String: appendString(v.text(), out); return true;
    case T::Bool: out += v.toBool() ? QLatin1String("true") : QLatin1String("false"); return true;
    case T::Null: out += QLatin1String("null"); return true;
    case T::Integer: out += QString::number(v.toInteger()); return true;
    case T::Decimal: out += v.text(); return true;
    case T::Double:
        if (std::isnan(v.toDouble())) {
            addErrorWithCode(1, QStringLiteral("NaN is not a valid number in JSON"));
            return false;
        }
        if (std::isinf(v.toDouble())) {
            addErrorWithCode(1, QStringLiteral("Infinity is not a valid number in JSON"));
            return false;
        }
        out += QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
        return true;
    case T::Unsupported:
        addErrorWithCode(1, QStringLiteral("JSON serialisation not supported for %1").arg(v.text()));
        return false;
    }
    return false;
}

void SBJsonWriter::appendIndent(QString &out) const
{
    out += QLatin1Char('\n');
    out += QString(int(m_depth) * 2, QLatin1Char(' '));
}

bool SBJsonWriter::appendArray(const SBJsonValue &v, QString &out)
{
    if (!enterLevel())
        return false;
    out += QLatin1Char('[');
    for (int i = 0; i < v.size(); ++i) {
        if (i)
            out += QLatin1Char(',');
        if (m_humanReadable)
            appendIndent(out);
        if (!appendValue(v.at(i), out))
            return false;
    }
    leaveLevel();
    if (m_humanReadable && v.size())
        appendIndent(out);
    out += QLatin1Char(']');
    return true;
}

bool SBJsonWriter::appendObject(const SBJsonValue &v, QString &out)
{
    if (!enterLevel())
        return false;
    out += QLatin1Char('{');
    std::vector<const SBJsonValue::Member *> members;
    members.reserve(v.members().size());
    for (const SBJsonValue::Member &m : v.members())
        members.push_back(&m);
    if (m_sortKeys) {
        // Plain comparison of the UTF-16 text; a non-string key sorts first and fails below.
        std::stable_sort(members.begin(), members.end(), [](const SBJsonValue::Member *a, const SBJsonValue::Member *b) {
            if (a->first.isString() != b->first.isString())
                return !a->first.isString();
            return a->first.text() < b->first.text();
        });
    }
    bool first = true;
    for (const SBJsonValue::Member *m : members) {
        if (!first)
            out += QLatin1Char(',');
        first = false;
        if (m_humanReadable)
            appendIndent(out);
        if (!m->first.isString()) {
            addErrorWithCode(1, QStringLiteral("JSON object key must be string"));
            return false;
        }
        appendString(m->first.text(), out);
        out += m_humanReadable ? QLatin1String(": ") : QLatin1String(":");
        if (!appendValue(m->second, out)) {
            addErrorWithCode(1, QStringLiteral("Unsupported value for key %1 in object").arg(m->first.text()));
            return false;
        }
    }
    leaveLevel();
    if (m_humanReadable && !members.empty())
        appendIndent(out);
    out += QLatin1Char('}');
    return true;
}

void SBJsonWriter::appendString(const QString &s, QString &out) const
{
    out += QLatin1Char('"');
    const bool plain = std::none_of(s.begin(), s.end(), [](QChar c) {
        return c.unicode() < 0x20 || c == QLatin1Char('"') || c == QLatin1Char('\\');
    });
    if (plain) {
        out += s;
    } else {
        for (QChar c : s) {
            switch (c.unicode()) {
            case '\b': out += QLatin1String("\\b"); break;
            case '\t': out += QLatin1String("\\t"); break;
            case '\n': out += QLatin1String("\\n"); break;
            case '\f': out += QLatin1String("\\f"); break;
            case '\r': out += QLatin1String("\\r"); break;
            case '"': out += QLatin1String("\\\""); break;
            case '\\': out += QLatin1String("\\\\"); break;
            default:
                if (c.unicode() < 0x20)
                    out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
                else
                    out += c;
            }
        }
    }
    out += QLatin1Char('"');
}
