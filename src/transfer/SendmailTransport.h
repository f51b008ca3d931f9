#pragma once
// Hands mail to the system's sendmail-compatible program, run as
// `<program> -t -oi` with the message on its standard input: the recipients
// come from the To header, and a line holding a single dot doesn't end the
// message.  The mail was handed over when the program exits with status 0;
// otherwise its own error output is the reason given.
#include <string>

#include "transfer/MailTransport.h"

namespace typix {

class SendmailTransport : public MailTransport {
public:
    explicit SendmailTransport(std::string program) : program_(std::move(program)) {}
    MailSendResult send(const std::string& from, const std::string& recipient,
                        const std::string& message, const MailCancel& cancel = {}) override;
    std::string name() const override { return "sendmail"; }

    // The program to run: TYPIX_SENDMAIL when it names an executable file,
    // else /usr/sbin/sendmail or /usr/lib/sendmail; "" when there is none.
    static std::string findProgram();

    // A program that doesn't finish within this many seconds is killed and
    // the mail counts as not sent.
    static constexpr int kTimeoutSeconds = 120;

private:
    std::string program_;
};

}  // namespace typix
