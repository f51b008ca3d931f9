#pragma once
// The mail layer of Dispatch: "is mail available" and "send mail".
//
// The mail system is an SMTP server named in the settings ("smtpserver",
// with "smtpuser", "smtppassword" and the sender "smtpfrom"), else the
// system's sendmail-compatible program.  Nothing here shows a message: the
// result carries the reason for the user.  Interface thread (it blocks while
// the mail is handed over) or any other single thread.
#include <memory>
#include <string>

#include "transfer/MailTransport.h"

namespace typix {

class Settings;

struct MailSettings {
    std::string server;    // "" when no SMTP server is set
    std::string user;
    std::string password;
    std::string from;      // sender address; "" lets the mail system choose
    std::string caFile = "";  // CA bundle for the SMTP server's certificate; "" = system's
};

MailSettings mailSettingsFrom(const Settings& settings);

// The transport the settings choose: SMTP when a server is set, else
// sendmail when a program is present; null when there is neither.
std::unique_ptr<MailTransport> chooseMailTransport(const MailSettings& settings);

// Whether a mail could be sent at all.
bool isMailAvailable(const MailSettings& settings);

// Builds the message (UTF-8 body, the attachment when `attachment` is not
// empty) and hands it over.  sent is true only when the mail system took it.
// Addresses may carry a display name ("Name <address>"): the envelope gets
// the address alone, the headers the encoded name.  `cancel` (may be empty)
// ends the hand-over early.
MailSendResult sendMail(const MailSettings& settings, const std::string& recipient,
                        const std::string& subject, const std::string& body,
                        const std::string& attachment, const MailCancel& cancel = {});

// The same over a given transport (tests, or a caller that chose one).
MailSendResult sendMailWith(MailTransport& transport, const std::string& from,
                            const std::string& recipient, const std::string& subject,
                            const std::string& body, const std::string& attachment,
                            const MailCancel& cancel = {});

}  // namespace typix
