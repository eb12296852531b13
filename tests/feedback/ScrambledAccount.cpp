#include "ScrambledAccount.h"

QString scrambleField(const QByteArray &plain, const QByteArray &key, bool stripPadding)
{
    QByteArray x = plain;
    for (qsizetype i = 0; i < x.size(); ++i)
        x[i] = char(x[i] ^ key[i % key.size()]);
    QByteArray b64 = x.toBase64();
    if (stripPadding)
        while (b64.endsWith('='))
            b64.chop(1);
    b64.replace('+', '*');
    return QString::fromLatin1(b64);
}

QByteArray scrambledAccountXml(const QString &host, const QString &port, const QString &user, const QString &password,
                               const QString &address)
{
    auto field = [](const char *name, const QString &value) {
        return QByteArray("  <") + name + ">" + scrambleField(value.toUtf8()).toLatin1() + "</" + name + ">\n";
    };
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<smtp>\n" + field("hostname", host) + field("port", port)
        + field("username", user) + field("password", password) + field("address", address) + "</smtp>\n";
}
