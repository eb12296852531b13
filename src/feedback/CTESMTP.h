#pragma once

#include "feedback/CTSMTP.h"

// The extended dialect: EHLO, STARTTLS, SASL login, and delivery-status parameters where the
// server offers them.
class CTESMTP : public CTSMTP
{
public:
    using CTSMTP::CTSMTP;

    // False without an error when the server does not know EHLO (500, 502, 504): the caller
    // may greet with HELO. False with an error for anything else (421, a dropped connection).
    bool helo() override;
    bool startTLS() override;
    bool authenticateWithUsername(const QString &username, const QString &password, const QString &server) override;
    bool setFrom(const QString &address) override;
    bool setRecipientAddress(const QString &address) override;
};
