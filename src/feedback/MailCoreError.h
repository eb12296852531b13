#pragma once

#include <QString>

// The error of a failed mail step: domain "mailcore", the mail library's result code unchanged
// and a readable description.
class MailCoreError
{
public:
    MailCoreError() = default;
    MailCoreError(int code, const QString &description);

    QString domain() const { return QStringLiteral("mailcore"); }
    int code() const { return m_code; }
    QString description() const { return m_description; }

private:
    int m_code = 0;
    QString m_description;
};

MailCoreError MailCoreCreateError(int code, const QString &description);
// Descriptions of the library's IMAP result codes; "Error: <code>" for any other code.
MailCoreError MailCoreCreateErrorFromIMAPCode(int code);
// "Invalid username or password" for a refused login, else the library's text for the code.
MailCoreError MailCoreCreateErrorFromSMTPCode(int code);
