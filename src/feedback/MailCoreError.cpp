#include "feedback/MailCoreError.h"

#include <libetpan/libetpan.h>

#include <QCoreApplication>

MailCoreError::MailCoreError(int code, const QString &description) : m_code(code), m_description(description) {}

MailCoreError MailCoreCreateError(int code, const QString &description)
{
    return MailCoreError(code, QCoreApplication::translate("MailCore", description.toUtf8().constData()));
}

MailCoreError MailCoreCreateErrorFromIMAPCode(int code)
{
    static const char *const kTexts[] = {
        "Bad state", "Stream error", "Parse error", "Connection refused", "Memory Error",
        "IMAP connection lost", "Protocol Error", "Connection not accepted", "Append error",
        "NOOP error", "Logout error", "Capability error", "Check command error", "Close command error",
        "Expunge command error", "Copy command error", "UID copy command error", "Create command error",
        "Delete error", "Examine command error", "Fetch command error", "UID fetch command error",
        "List command error", "Login error", "Lsub error", "Rename error", "Search error",
        "Uid search error", "Select cmnd error", "Status cmnd error", "Store cmnd error",
        "Uid store cmd error", "Subscribe error", "Unsubscribe error", "StartTLS error",
        "Inval cmd error", "Extension error", "SASL error", "SSL error", "Protocol error",
        "Capability error", "Close error", "Fatal error", "Readonly error", "No APOP error",
        "Cmd not supported", "No permission", "Program error", "Subject not found", "Encoding failed",
        "Send error", "Command error", "System error", "Unable error", "Folder errror",
    };
    constexpr int first = 3;
    constexpr int last = first + int(sizeof kTexts / sizeof kTexts[0]) - 1;
    static_assert(last == 57);
    if (code < first || code > last)
        return MailCoreError(code, QStringLiteral("Error: %1").arg(code));
    return MailCoreCreateError(code, QString::fromLatin1(kTexts[code - first]));
}

MailCoreError MailCoreCreateErrorFromSMTPCode(int code)
{
    // The library answers a refused login (535) with either of these codes.
    if (code == MAILSMTP_ERROR_AUTH_LOGIN || code == MAILSMTP_ERROR_AUTH_AUTHENTICATION_FAILED)
        return MailCoreCreateError(code, QStringLiteral("Invalid username or password"));
    const char *text = mailsmtp_strerror(code);
    if (!text || !*text)
        return MailCoreCreateError(code, QStringLiteral("Unknown error"));
    return MailCoreCreateError(code, QString::fromUtf8(text));
}
