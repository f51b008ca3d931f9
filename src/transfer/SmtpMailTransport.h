#pragma once
// Sends mail to an SMTP server through libcurl.  The server is a URL:
// "smtps://host:465" (TLS from the start) or "smtp://host:587" (upgraded with
// STARTTLS when the server offers it); a bare host name means smtp://host.
// A user name turns on AUTH with the password, and then the connection must
// be encrypted: a smtp:// server without STARTTLS gets no password and the
// send fails with a message saying why.  The server's certificate is
// verified (against `caFile` when one is given).  A refusal quotes the
// server's own reply.
#include <string>

#include "transfer/MailTransport.h"

namespace typix {

struct SmtpAccount {
    std::string server;
    std::string user;
    std::string password;
    std::string caFile;  // "" = the system's CA bundle
};

class SmtpMailTransport : public MailTransport {
public:
    explicit SmtpMailTransport(SmtpAccount account) : account_(std::move(account)) {}
    MailSendResult send(const std::string& from, const std::string& recipient,
                        const std::string& message, const MailCancel& cancel = {}) override;
    std::string name() const override { return "SMTP server"; }

    // The URL handed to libcurl: a scheme is added when the setting has none.
    static std::string serverUrl(const std::string& setting);

private:
    SmtpAccount account_;
};

}  // namespace typix
