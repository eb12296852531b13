#include "feedback/CTCoreAddress.h"

#include "feedback/MailCoreUtilities.h"

CTCoreAddress::CTCoreAddress(const QString &name, const QString &email) : m_name(name), m_email(email) {}

QString CTCoreAddress::decodedName() const
{
    return MailCoreDecodeMIMEPhrase(m_name.toUtf8()).value_or(QString());
}

QString CTCoreAddress::description() const
{
    return QStringLiteral("%1 <%2>").arg(m_name, m_email);
}

bool CTCoreAddress::isSafeForEnvelope() const
{
    if (m_email.isEmpty() || !m_email.contains(QLatin1Char('@')))
        return false;
    for (const QChar c : m_email)
        if (c.unicode() < 0x21 || c.unicode() == 0x7f || c == QLatin1Char('<') || c == QLatin1Char('>'))
            return false;
    return true;
}

CTCoreAddressSet CTCoreAddressSetFrom(const QList<CTCoreAddress> &addresses)
{
    CTCoreAddressSet set;
    for (const auto &a : addresses)
        if (!set.contains(a))
            set.append(a);
    return set;
}
