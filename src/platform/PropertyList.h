#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// XML property lists. Values map to QVariantMap (dict), QVariantList (array), QString,
// qint64 (integer), double (real), bool, QDateTime (date, UTC) and QByteArray (data).
class PropertyList
{
public:
    static constexpr int MaxDepth = 256;

    enum class OnDamage { Keep, MoveAside };

    // Parse errors come back in *error; the result is then invalid.
    static QVariant fromXml(const QByteArray &xml, QString *error = nullptr);
    static QByteArray toXml(const QVariant &value);

    // A missing file reads as invalid with an empty error. A damaged one reads as invalid with
    // an error; with MoveAside it is renamed "<name>.damaged-<time>" so a later write cannot
    // destroy what is left of it.
    static QVariant readFile(const QString &path, QString *error = nullptr,
                             OnDamage onDamage = OnDamage::MoveAside);
    // Always atomic: a crash mid-write leaves the old file whole.
    static bool writeFile(const QString &path, const QVariant &value, QString *error = nullptr);
    // The same for bytes already encoded (a keyed archive). A short write (a full disk) fails
    // and the old file stays.
    static bool writeData(const QString &path, const QByteArray &data, QString *error = nullptr);

    static QString moveAside(const QString &path);
};
