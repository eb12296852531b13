#include "extension/json/SBJsonValue.h"

#include <algorithm>

SBJsonValue::SBJsonValue(bool b) : m_type(Type::Bool), m_bool(b) {}
SBJsonValue::SBJsonValue(qint64 i) : m_type(Type::Integer), m_integer(i) {}
SBJsonValue::SBJsonValue(double d) : m_type(Type::Double), m_double(d) {}
SBJsonValue::SBJsonValue(const QString &s) : m_type(Type::String), m_text(s) {}

SBJsonValue SBJsonValue::decimal(const QString &exactText)
{
    SBJsonValue v;
    v.m_type = Type::Decimal;
    v.m_text = exactText;
    return v;
}

SBJsonValue SBJsonValue::array()
{
    SBJsonValue v;
    v.m_type = Type::Array;
    v.m_array.reserve(8);
    return v;
}

SBJsonValue SBJsonValue::object()
{
    SBJsonValue v;
    v.m_type = Type::Object;
    v.m_members.reserve(7);
    return v;
}

SBJsonValue SBJsonValue::unsupported(const QString &className)
{
    SBJsonValue v;
    v.m_type = Type::Unsupported;
    v.m_text = className;
    return v;
}

int SBJsonValue::size() const
{
    return int(m_type == Type::Object ? m_members.size() : m_array.size());
}

void SBJsonValue::append(const SBJsonValue &v)
{
    m_array.push_back(v);
}

void SBJsonValue::removeAt(int i)
{
    if (i >= 0 && size_t(i) < m_array.size())
        m_array.erase(m_array.begin() + i);
}

bool SBJsonValue::removeString(const QString &s)
{
    const size_t before = m_array.size();
    std::erase_if(m_array, [&](const SBJsonValue &v) { return v.isString() && v.m_text == s; });
    return m_array.size() != before;
}

void SBJsonValue::set(const SBJsonValue &key, const SBJsonValue &value)
{
    for (Member &m : m_members) {
        if (m.first == key) {
            m.second = value;
            return;
        }
    }
    m_members.emplace_back(key, value);
}

const SBJsonValue *SBJsonValue::value(const QString &key) const
{
    if (m_type != Type::Object)
        return nullptr;
    for (const Member &m : m_members) {
        if (m.first.isString() && m.first.m_text == key)
            return &m.second;
    }
    return nullptr;
}

SBJsonValue *SBJsonValue::value(const QString &key)
{
    return const_cast<SBJsonValue *>(std::as_const(*this).value(key));
}

bool SBJsonValue::remove(const QString &key)
{
    const size_t before = m_members.size();
    std::erase_if(m_members, [&](const Member &m) { return m.first.isString() && m.first.m_text == key; });
    return m_members.size() != before;
}

const SBJsonValue *SBJsonValue::path(std::initializer_list<QString> keys) const
{
    const SBJsonValue *v = this;
    for (const QString &k : keys) {
        v = v->value(k);
        if (!v)
            return nullptr;
    }
    return v;
}

SBJsonValue *SBJsonValue::path(std::initializer_list<QString> keys)
{
    return const_cast<SBJsonValue *>(std::as_const(*this).path(keys));
}

bool SBJsonValue::operator==(const SBJsonValue &o) const
{
    if (m_type != o.m_type)
        return false;
    switch (m_type) {
    case Type::Null: return true;
    case Type::Bool: return m_bool == o.m_bool;
    case Type::Integer: return m_integer == o.m_integer;
    case Type::Double: return m_double == o.m_double;
    case Type::Decimal:
    case Type::String:
    case Type::Unsupported: return m_text == o.m_text;
    case Type::Array: return m_array == o.m_array;
    case Type::Object: {
        // Members are unordered: a sorted writer's output is the same object.
        if (m_members.size() != o.m_members.size())
            return false;
        for (const Member &m : m_members) {
            const auto it = std::find_if(o.m_members.begin(), o.m_members.end(),
                                         [&](const Member &n) { return n.first == m.first; });
            if (it == o.m_members.end() || !(it->second == m.second))
                return false;
        }
        return true;
    }
    }
    return false;
}
