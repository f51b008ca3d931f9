// Choosing a mail transport and sending one message through it.
#include "transfer/Mail.h"

#include <unistd.h>

#include <ctime>
#include <mutex>
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
            settings.smtpFrom(), settings.smtpCaFile()};
}

std::unique_ptr<MailTransport> chooseMailTransport(const MailSettings& settings) {
    if (!settings.server.empty())
        return std::make_unique<SmtpMailTransport>(
            SmtpAccount{settings.server, settings.user, settings.password, settings.caFile});
    std::string program = SendmailTransport::findProgram();
    if (!program.empty()) return std::make_unique<SendmailTransport>(program);
    return nullptr;
}

bool isMailAvailable(const MailSettings& settings) {
    return !settings.server.empty() || !SendmailTransport::findProgram().empty();
}

MailSendResult sendMailWith(MailTransport& transport, const std::string& from,
                            const std::string& recipient, const std::string& subject,
                            const std::string& body, const std::string& attachment,
                            const MailCancel& cancel) {
    static std::mutex randomLock;
    static std::mt19937_64 random{std::random_device{}()};
    uint64_t tag;
    {
        std::lock_guard<std::mutex> hold(randomLock);
        tag = random();
    }
    MailMessage mail{from, recipient, subject, body, attachment};
    MimeResult mime = buildMimeMessage(mail, std::time(nullptr), tag);
    if (!mime.ok) return {false, mime.error};
    // buildMimeMessage accepted both, so both parse.
    Mailbox to, sender;
    parseMailbox(recipient, to);
    if (!from.empty()) parseMailbox(from, sender);
    return transport.send(sender.address, to.address, mime.text, cancel);
}

MailSendResult sendMail(const MailSettings& settings, const std::string& recipient,
                        const std::string& subject, const std::string& body,
                        const std::string& attachment, const MailCancel& cancel) {
    std::unique_ptr<MailTransport> transport = chooseMailTransport(settings);
    if (!transport)
        return {false, "No mail system is set up: configure an SMTP server in Settings or "
                       "install a sendmail-compatible mail program."};
    return sendMailWith(*transport, envelopeSender(settings), recipient, subject, body,
                        attachment, cancel);
}

}  // namespace typix
