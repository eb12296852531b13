#pragma once

#include <QByteArray>
#include <QCborArray>
#include <QCborMap>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <type_traits>

class KeyedArchiver;
class KeyedUnarchiver;

// A record that can be written to and read from a keyed archive.
class KeyedArchivable
{
public:
    virtual ~KeyedArchivable() = default;
    // Name stored under "$class"; a reader checks it when the archive carries one.
    virtual QString archiveClassName() const = 0;
    virtual void encodeWithCoder(KeyedArchiver &coder) const = 0;
    virtual void initWithCoder(KeyedUnarchiver &coder) = 0;
};

// Writes typed values under fixed keys into a CBOR map. Archives are self-describing
// and forward compatible: readers ignore keys they do not know.
class KeyedArchiver
{
public:
    KeyedArchiver() = default;
    explicit KeyedArchiver(const QString &className);

    void encodeString(const QString &key, const QString &value);
    void encodeInt64(const QString &key, qint64 value);
    void encodeInt32(const QString &key, qint32 value) { encodeInt64(key, value); }
    void encodeDouble(const QString &key, double value);
    void encodeBool(const QString &key, bool value);
    void encodeBytes(const QString &key, const QByteArray &value);
    void encodeDate(const QString &key, const QDateTime &value);
    void encodeStringList(const QString &key, const QStringList &value);
    // Plain property-list-like values: string, numbers, bool, bytes, date, list, map.
    void encodeVariant(const QString &key, const QVariant &value);
    void encodeObject(const QString &key, const KeyedArchivable &value);
    void encodeObject(const QString &key, const KeyedArchivable *value);

    template <typename T>
    void encodeObjectList(const QString &key, const QList<T> &values)
    {
        QCborArray array;
        for (const auto &v : values)
            array.append(archiveOf(deref(v)));
        m_map.insert(key, array);
    }

    QCborMap map() const { return m_map; }
    QByteArray archivedData() const;

    // A lone string sent between processes: an archive with the string under "root".
    static QByteArray archivedRootString(const QString &value);

    static QByteArray archivedDataWithRootObject(const KeyedArchivable &root);
    static QCborMap archiveOf(const KeyedArchivable &object);

private:
    template <typename T>
    static const KeyedArchivable &deref(const T &v)
    {
        if constexpr (std::is_pointer_v<T> || requires { v.get(); })
            return *v;
        else
            return v;
    }

    QCborMap m_map;
};

// Reads a keyed archive. Malformed input is an error, never a crash: nesting depth,
// declared sizes and total size are bounded before anything is allocated. An absent
// key, or a value of the wrong type, reads as empty, 0 or false.
class KeyedUnarchiver
{
public:
    static constexpr qsizetype MaxArchiveSize = 64 * 1024 * 1024;
    static constexpr int MaxDepth = 64;

    explicit KeyedUnarchiver(const QByteArray &data);
    explicit KeyedUnarchiver(const QCborMap &map);

    bool isValid() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    QString className() const;
    // The string of KeyedArchiver::archivedRootString; empty for malformed data.
    static QString rootString(const QByteArray &data);

    bool containsKey(const QString &key) const;
    QString decodeString(const QString &key) const;
    qint64 decodeInt64(const QString &key) const;
    qint32 decodeInt32(const QString &key) const { return qint32(decodeInt64(key)); }
    double decodeDouble(const QString &key) const;
    bool decodeBool(const QString &key) const;
    QByteArray decodeBytes(const QString &key) const;
    QDateTime decodeDate(const QString &key) const;
    QStringList decodeStringList(const QString &key) const;
    QVariant decodeVariant(const QString &key) const;

    // Fills `object` from the nested archive under key; false when absent or malformed.
    bool decodeObject(const QString &key, KeyedArchivable &object) const;

    template <typename T>
    QList<T> decodeObjectList(const QString &key) const
    {
        QList<T> out;
        const QCborArray array = m_map.value(key).toArray();
        for (const QCborValue &v : array) {
            if (!v.isMap())
                continue;
            T item;
            KeyedUnarchiver child(v.toMap());
            item.initWithCoder(child);
            out.append(std::move(item));
        }
        return out;
    }

    // Parses data and fills root; false with error set when the archive is malformed
    // or names another class.
    static bool unarchive(const QByteArray &data, KeyedArchivable &root, QString *error = nullptr);

    // Bounded CBOR parse shared by every reader of untrusted bytes.
    static bool parseCbor(const QByteArray &data, QCborValue &out, QString *error);

private:
    QCborMap m_map;
    QString m_error;
};
