#pragma once
// One way of handing a finished e-mail to the mail system.  Each transport
// lives in a file of its own (SmtpMailTransport, SendmailTransport); Mail.h
// chooses one from the settings.
//
// send() blocks until the message was handed over or refused, and reports a
// refusal with a text for the user (never by throwing).  A transport object
// belongs to the thread that made it.
#include <string>
#include <vector>

namespace typix {

struct MailSendResult {
    bool sent = false;
    std::string error;  // why the mail was not handed over, when !sent
};

class MailTransport {
public:
    virtual ~MailTransport() = default;
    // Hands over `message` (the whole MIME text, CR LF line ends) for the
    // envelope sender `from` ("" lets the mail system choose) and `recipient`.
    virtual MailSendResult send(const std::string& from, const std::string& recipient,
                                const std::string& message) = 0;
    // A short name for messages: "SMTP server", "sendmail".
    virtual std::string name() const = 0;
};

}  // namespace typix
