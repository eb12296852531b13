#pragma once

#include <QByteArray>
#include <QString>

// The support server's side of an account field: XOR with the key, Base64, "*" for "+".
QString scrambleField(const QByteArray &plain, const QByteArray &key = "tavrokelmin", bool stripPadding = false);
// The account document with every field scrambled.
QByteArray scrambledAccountXml(const QString &host, const QString &port, const QString &user, const QString &password,
                               const QString &address);
