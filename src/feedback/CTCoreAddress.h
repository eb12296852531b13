#pragma once

#include <QList>
#include <QString>

// One mailbox of a header: display name and e-mail, both empty for a new address.
class CTCoreAddress
{
public:
    CTCoreAddress() = default;
    CTCoreAddress(const QString &name, const QString &email);

    static CTCoreAddress address() { return {}; }
    static CTCoreAddress addressWithName(const QString &name, const QString &email) { return {name, email}; }

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QString email() const { return m_email; }
    void setEmail(const QString &email) { m_email = email; }
    // The name with its MIME encoded words decoded.
    QString decodedName() const;

    // "name <email>".
    QString description() const;
    // False for an e-mail that could break out of its header or envelope line (line breaks,
    // other control characters, spaces, angle brackets) or that has no "@".
    bool isSafeForEnvelope() const;

    bool operator==(const CTCoreAddress &other) const = default;

private:
    QString m_name;
    QString m_email;
};

// An ordered set: adding an address already present keeps the first.
using CTCoreAddressSet = QList<CTCoreAddress>;
CTCoreAddressSet CTCoreAddressSetFrom(const QList<CTCoreAddress> &addresses);
