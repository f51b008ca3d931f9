#pragma once
// One way of handing a finished e-mail to the mail system.  Each transport
// lives in a file of its own (SmtpMailTransport, SendmailTransport); Mail.h
// chooses one from the settings.
//
// send() blocks until the message was handed over, refused or cancelled, and
// reports a refusal with a text for the user (never by throwing).  A transport
// object belongs to the thread that made it; the dispatch dialog makes and
// uses one on its worker thread.
#include <functional>
#include <string>
#include <vector>

namespace typix {

struct MailSendResult {
    bool sent = false;
    std::string error;       // why the mail was not handed over, when !sent
    bool cancelled = false;  // the sender asked to stop; the mail was not handed over
};

// Asked several times a second while a mail is handed over; true ends the
// hand-over at once (the result is then "cancelled").  Any thread.
using MailCancel = std::function<bool()>;

class MailTransport {
public:
    virtual ~MailTransport() = default;
    // Hands over `message` (the whole MIME text, CR LF line ends) for the
    // envelope sender `from` ("" lets the mail system choose) and `recipient`.
    // `from` and `recipient` are bare addresses (no display name).
    // `cancel` may be empty.
    virtual MailSendResult send(const std::string& from, const std::string& recipient,
                                const std::string& message, const MailCancel& cancel = {}) = 0;
    // A short name for messages: "SMTP server", "sendmail".
    virtual std::string name() const = 0;
};

}  // namespace typix
