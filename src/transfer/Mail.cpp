// Choosing a mail transport and sending one message through it.
#include "transfer/Mail.h"

#include <unistd.h>

#include <ctime>
#include <random>

#include "app/Settings.h"
#include "transfer/MailMessage.h"
#include "transfer/SendmailTransport.h"
#include "transfer/SmtpMailTransport.h"

namespace typix {

namespace {

// The envelope sender for SMTP when none is set: the account's name when it
// is an address, else the login name at this host.
std::string envelopeSender(const MailSettings& settings) {
    if (!settings.from.empty()) return settings.from;
    if (settings.user.find('@') != std::string::npos) return settings.user;
    if (settings.server.empty()) return "";
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    const char* login = getlogin();
    return std::string(login ? login : "typist") + "@" + (host[0] ? host : "localhost");
}

}  // namespace

MailSettings mailSettingsFrom(const Settings& settings) {
    return {settings.smtpServer(), settings.smtpUser(), settings.smtpPassword(),
            settings.smtpFrom()};
}

std::unique_ptr<MailTransport> chooseMailTransport(const MailSettings& settings) {
    if (!settings.server.empty())
        return std::make_unique<SmtpMailTransport>(
            SmtpAccount{settings.server, settings.user, settings.password});
    std::string program = SendmailTransport::findProgram();
    if (!program.empty()) return std::make_unique<SendmailTransport>(program);
    return nullptr;
}

bool isMailAvailable(const MailSettings& settings) {
    return !settings.server.empty() || !SendmailTransport::findProgram().empty();
}

MailSendResult sendMailWith(MailTransport& transport, const std::string& from,
                            const std::string& recipient, const std::string& subject,
                            const std::string& body, const std::string& attachment) {
    static std::mt19937_64 random{std::random_device{}()};
    MailMessage mail{from, recipient, subject, body, attachment};
    MimeResult mime = buildMimeMessage(mail, std::time(nullptr), random());
    if (!mime.ok) return {false, mime.error};
    return transport.send(from, recipient, mime.text);
}

MailSendResult sendMail(const MailSettings& settings, const std::string& recipient,
                        const std::string& subject, const std::string& body,
                        const std::string& attachment) {
    std::unique_ptr<MailTransport> transport = chooseMailTransport(settings);
    if (!transport)
        return {false, "No mail system is set up: configure an SMTP server in Settings or "
                       "install a sendmail-compatible mail program."};
    return sendMailWith(*transport, envelopeSender(settings), recipient, subject, body,
                        attachment);
}

}  // namespace typix
