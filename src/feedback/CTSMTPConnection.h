#pragma once

#include "feedback/MailCoreError.h"

#include <QString>

#include <optional>

class CTCoreMessage;

// Delivers one message in one blocking call: connect, greet (EHLO, else HELO), STARTTLS,
// login, envelope, data, quit.
class CTSMTPConnection
{
public:
    enum CTSMTPConnectionType { Plain = 0, StartTLS = 1, TLS = 2 };

    // False with the failing step's error in *error; with no error only for a refused
    // connection type. Certificates are checked against the trusted authorities (the system
    // store and QSslConfiguration's default ones) for the server's name. A port outside
    // 1-65535 is an error.
    static bool sendMessage(CTCoreMessage &message, const QString &server, const QString &username,
                            const QString &password, unsigned port, int connectionType, bool useAuth,
                            std::optional<MailCoreError> *error);
    // The same steps up to the login, then QUIT.
    static bool canConnectToServer(const QString &server, const QString &username, const QString &password,
                                   unsigned port, int connectionType, bool useAuth,
                                   std::optional<MailCoreError> *error);
};
