#pragma once

#include <QString>

#include <utility>
#include <vector>

// One value of the bundle's JSON codec. Numbers keep what they were: a 64-bit integer, or the
// exact decimal text of the input (so a browser file written back keeps every number as it
// was). Objects keep their members in insertion order; a key is itself a value so that a
// caller can build (and the writer refuse) an object with a non-string key.
class SBJsonValue
{
public:
    enum class Type { Null, Bool, Integer, Decimal, Double, String, Array, Object, Unsupported };
    using Member = std::pair<SBJsonValue, SBJsonValue>;

    SBJsonValue() = default;
    SBJsonValue(bool b);
    SBJsonValue(qint64 i);
    SBJsonValue(int i) : SBJsonValue(qint64(i)) {}
    SBJsonValue(double d);
    SBJsonValue(const QString &s);
    SBJsonValue(const char *s) : SBJsonValue(QString::fromUtf8(s)) {}

    static SBJsonValue null() { return {}; }
    static SBJsonValue decimal(const QString &exactText);
    static SBJsonValue array();
    static SBJsonValue object();
    // A value the writer cannot write (stands for an object of another class).
    static SBJsonValue unsupported(const QString &className);

    Type type() const { return m_type; }
    bool isNull() const { return m_type == Type::Null; }
    bool isString() const { return m_type == Type::String; }
    bool isArray() const { return m_type == Type::Array; }
    bool isObject() const { return m_type == Type::Object; }
    bool isNumber() const { return m_type == Type::Integer || m_type == Type::Decimal || m_type == Type::Double; }

    bool toBool() const { return m_bool; }
    qint64 toInteger() const { return m_integer; }
    double toDouble() const { return m_double; }
    // String text, decimal text, or the class name of an unsupported value.
    const QString &text() const { return m_text; }

    // Arrays.
    int size() const;
    const SBJsonValue &at(int i) const { return m_array.at(size_t(i)); }
    SBJsonValue &operator[](int i) { return m_array[size_t(i)]; }
    void append(const SBJsonValue &v);
    void removeAt(int i);
    // Removes every element equal to the string; true when one was removed.
    bool removeString(const QString &s);

    // Objects.
    const std::vector<Member> &members() const { return m_members; }
    // A later set() of the same key replaces the value in place.
    void set(const SBJsonValue &key, const SBJsonValue &value);
    void set(const QString &key, const SBJsonValue &value) { set(SBJsonValue(key), value); }
    const SBJsonValue *value(const QString &key) const;
    SBJsonValue *value(const QString &key);
    bool remove(const QString &key);
    // The value at the end of a path of object keys, or nullptr.
    const SBJsonValue *path(std::initializer_list<QString> keys) const;
    SBJsonValue *path(std::initializer_list<QString> keys);

    bool operator==(const SBJsonValue &o) const;
    bool operator!=(const SBJsonValue &o) const { return !(*this == o); }

private:
    Type m_type = Type::Null;
    bool m_bool = false;
    qint64 m_integer = 0;
    double m_double = 0;
    QString m_text;
    std::vector<SBJsonValue> m_array;
    std::vector<Member> m_members;
};
