// Sending mail for real: through libcurl to an SMTP server on 127.0.0.1, and
// through msmtp (a sendmail-compatible program) configured to that server.
// The server decodes what it receives, so each check compares bytes.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "MailTestServer.h"
#include "TransferTestSupport.h"
#include "transfer/Mail.h"
#include "transfer/SendmailTransport.h"

namespace typix {
namespace {

using test::readAll;
using test::writeAll;

using SmtpServer = test::MailTestServer;

int unusedPort() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(s);
    return ntohs(address.sin_port);
}

class MailSmtp : public ::testing::Test {
protected:
    void SetUp() override { unsetenv("TYPIX_SENDMAIL"); }
    void TearDown() override { unsetenv("TYPIX_SENDMAIL"); }
    std::string work() const { return folders_.root() + "work/"; }
    std::string mailbox() const { return folders_.root() + "mail"; }

    // A sendmail-compatible program: msmtp with its own configuration.
    std::string makeMsmtp(int port, const std::string& account) {
        std::string conf = work() + "msmtprc";
        writeAll(conf, "account default\nhost 127.0.0.1\nport " + std::to_string(port) +
                           "\nfrom typist@example.org\ntls off\n" + account);
        chmod(conf.c_str(), 0600);
        std::string program = work() + "sendmail";
        writeAll(program, "#!/bin/sh\nexec /usr/bin/msmtp --file=" + test::shellQuote(conf) +
                              " \"$@\"\n");
        chmod(program.c_str(), 0755);
        return program;
    }

    test::DataFolders folders_;
};

const std::string kTyping = "Dear Dr M\xc3\xbcller,\r\n.\r\nLine with trailing blank \r\n\xe2\x82\xac 12";

TEST_F(MailSmtp, SmtpDeliversBodySubjectAndAttachmentByteForByte) {
    SmtpServer server(mailbox(), "");
    ASSERT_GT(server.port(), 0);
    std::string attachment = work() + "scan 1.PDF";
    std::string bytes("%PDF-1.4\0\r\n\xff\xfe", 14);
    writeAll(attachment, bytes);
    MailSettings settings{server.url(), "", "", "typist@example.org"};
    MailSendResult r = sendMail(settings, "doctor@example.org", "Dictation (Smith)", kTyping,
                                attachment);
    ASSERT_TRUE(r.sent) << r.error;
    EXPECT_EQ(server.received(1, "envelope.txt"),
              "from typist@example.org\nto doctor@example.org\n");
    EXPECT_EQ(server.received(1, "subject.txt"), "Dictation (Smith)");
    EXPECT_EQ(server.received(1, "body.bin"), kTyping);
    EXPECT_EQ(server.received(1, "attachment.name"), "scan 1.PDF");
    EXPECT_EQ(server.received(1, "attachment.bin"), bytes);
    EXPECT_EQ(server.received(1, "attachment.type"), "application/pdf");
    std::string raw = server.received(1, "raw.eml");
    EXPECT_NE(raw.find("\nDate: "), std::string::npos);
    EXPECT_NE(raw.find("\nMessage-ID: <"), std::string::npos);
}

TEST_F(MailSmtp, SmtpWithoutAttachmentAndWithANonAsciiSubject) {
    SmtpServer server(mailbox(), "");
    MailSettings settings{server.url(), "", "", "typist@example.org"};
    MailSendResult r = sendMail(settings, "a@example.org", "Dictation (J\xc3\xb6rg)", "", "");
    ASSERT_TRUE(r.sent) << r.error;
    EXPECT_EQ(server.received(1, "subject.txt"), "Dictation (J\xc3\xb6rg)");
    EXPECT_EQ(server.received(1, "body.bin"), "");
    EXPECT_FALSE(test::exists(mailbox() + "/1/attachment.name"));
}

// A certificate for 127.0.0.1, made for the test; "" when openssl is absent.
std::string makeCertificate(const std::string& folder) {
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "
                                "/CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout '" +
                                folder + "key.pem' -out '" + folder + "cert.pem' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 ? folder + "cert.pem" : "";
}

TEST_F(MailSmtp, SmtpLogsInWithTheStoredCredentialsOverStartTls) {
    const std::string cert = makeCertificate(work());
    if (cert.empty()) GTEST_SKIP() << "openssl is missing (scripts/install-deps installs it)";
    SmtpServer server(mailbox(), "--auth typist:s3cret --tls " + cert + ":" + work() + "key.pem");
    MailSettings wrong{server.url(), "typist", "guess", "typist@example.org", cert};
    MailSendResult refused = sendMail(wrong, "a@example.org", "Dictation", "x", "");
    EXPECT_FALSE(refused.sent);
    EXPECT_FALSE(refused.error.empty());
    MailSettings right{server.url(), "typist", "s3cret", "typist@example.org", cert};
    MailSendResult r = sendMail(right, "a@example.org", "Dictation", "x", "");
    ASSERT_TRUE(r.sent) << r.error;
    EXPECT_NE(server.received(1, "envelope.txt").find("login typist\n"), std::string::npos);

    MailSettings unverified{server.url(), "typist", "s3cret", "typist@example.org"};
    MailSendResult untrusted = sendMail(unverified, "a@example.org", "Dictation", "x", "");
    EXPECT_FALSE(untrusted.sent) << "the certificate is checked";
    EXPECT_FALSE(server.hasMessage(2));
}

TEST_F(MailSmtp, APasswordNeverGoesToAServerWithoutStartTls) {
    SmtpServer server(mailbox(), "--auth typist:s3cret");
    MailSettings settings{server.url(), "typist", "s3cret", "typist@example.org"};
    MailSendResult r = sendMail(settings, "a@example.org", "Dictation", "x", "");
    EXPECT_FALSE(r.sent);
    EXPECT_NE(r.error.find("STARTTLS"), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("password was not sent"), std::string::npos) << r.error;
    EXPECT_FALSE(test::exists(mailbox() + "/auth-attempts")) << "no AUTH reached the server";
    EXPECT_FALSE(server.hasMessage(1));
}

TEST_F(MailSmtp, DisplayNamesStayInTheHeadersAndOutOfTheEnvelope) {
    SmtpServer server(mailbox(), "");
    MailSettings settings{server.url(), "", "", "Typist \xc3\x9cnal <typist@example.net>"};
    MailSendResult r =
        sendMail(settings, "\"Smith, J.\" <smith@example.org>", "Dictation", "x", "");
    ASSERT_TRUE(r.sent) << r.error;
    EXPECT_EQ(server.received(1, "envelope.txt"),
              "from typist@example.net\nto smith@example.org\n");
    const std::string raw = server.received(1, "raw.eml");
    EXPECT_NE(raw.find("From: =?UTF-8?B?VHlwaXN0IMOcbmFs?= <typist@example.net>\r\n"),
              std::string::npos) << raw;
    EXPECT_NE(raw.find("To: \"Smith, J.\" <smith@example.org>\r\n"), std::string::npos) << raw;
}

TEST_F(MailSmtp, ACancelledSendToAServerThatNeverAnswersEndsAtOnce) {
    SmtpServer silent(mailbox(), "--silent");
    MailSettings settings{silent.url(), "", "", "typist@example.org"};
    auto begin = std::chrono::steady_clock::now();
    MailSendResult r = sendMail(settings, "a@example.org", "Dictation", "x", "", [begin] {
        return std::chrono::steady_clock::now() - begin > std::chrono::milliseconds(300);
    });
    EXPECT_FALSE(r.sent);
    EXPECT_TRUE(r.cancelled) << r.error;
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
}

TEST_F(MailSmtp, SmtpFailuresAreReportedNotSent) {
    MailSettings nobody{"smtp://127.0.0.1:" + std::to_string(unusedPort()), "", "", "t@x.org"};
    MailSendResult refused = sendMail(nobody, "a@example.org", "Dictation", "x", "");
    EXPECT_FALSE(refused.sent);
    EXPECT_NE(refused.error.find("127.0.0.1"), std::string::npos) << refused.error;

    SmtpServer server(mailbox(), "--reject nobody@example.org");
    MailSettings settings{server.url(), "", "", "t@x.org"};
    MailSendResult rejected = sendMail(settings, "nobody@example.org", "Dictation", "x", "");
    EXPECT_FALSE(rejected.sent);
    EXPECT_NE(rejected.error.find("550 5.1.1 <nobody@example.org>: Recipient address rejected"),
              std::string::npos) << rejected.error;
    EXPECT_EQ(rejected.error.find("RCPT failed"), std::string::npos) << rejected.error;
    EXPECT_FALSE(server.hasMessage(1));
}

TEST_F(MailSmtp, SendmailProgramDeliversThroughMsmtp) {
    SmtpServer server(mailbox(), "--auth typist:s3cret");
    setenv("TYPIX_SENDMAIL",
           makeMsmtp(server.port(), "auth plain\nuser typist\npassword s3cret\n").c_str(), 1);
    MailSettings settings;  // no SMTP server: the program is used
    ASSERT_TRUE(isMailAvailable(settings));
    std::string attachment = work() + "letter.txt";
    writeAll(attachment, "attached\n");
    MailSendResult r = sendMail(settings, "doctor@example.org", "Dictation", kTyping, attachment);
    ASSERT_TRUE(r.sent) << r.error;
    EXPECT_EQ(server.received(1, "to.txt"), "doctor@example.org");
    EXPECT_EQ(server.received(1, "body.bin"), kTyping);
    EXPECT_EQ(server.received(1, "attachment.bin"), "attached\n");
    EXPECT_NE(server.received(1, "envelope.txt").find("to doctor@example.org\n"),
              std::string::npos);
}

TEST_F(MailSmtp, SendmailRefusalCarriesTheProgramsOwnWords) {
    SmtpServer server(mailbox(), "--reject nobody@example.org");
    setenv("TYPIX_SENDMAIL", makeMsmtp(server.port(), "").c_str(), 1);
    MailSendResult r = sendMail(MailSettings{}, "nobody@example.org", "Dictation", "x", "");
    EXPECT_FALSE(r.sent);
    EXPECT_NE(r.error.find("nobody@example.org"), std::string::npos) << r.error;

    setenv("TYPIX_SENDMAIL", makeMsmtp(unusedPort(), "").c_str(), 1);
    r = sendMail(MailSettings{}, "a@example.org", "Dictation", "x", "");
    EXPECT_FALSE(r.sent);
    EXPECT_NE(r.error.find("did not accept"), std::string::npos) << r.error;
}

TEST_F(MailSmtp, SendmailGetsTheMessageOnItsInputWithRecipientsFromTheHeaders) {
    // This program keeps a helper holding its output open after it exits:
    // the mail counts as handed over at the program's exit.
    std::string program = work() + "fake-sendmail";
    writeAll(program, "#!/bin/sh\necho \"$@\" > " + test::shellQuote(work() + "args") +
                          "\ncat > " + test::shellQuote(work() + "message") +
                          "\nsleep 3 &\nexit 0\n");
    chmod(program.c_str(), 0755);
    SendmailTransport transport(program);
    MailSendResult r = sendMailWith(transport, "", "doctor@example.org", "Dictation", "text", "");
    ASSERT_TRUE(r.sent) << r.error;
    EXPECT_EQ(readAll(work() + "args"), "-t -oi\n");
    std::string message = readAll(work() + "message");
    EXPECT_EQ(message.rfind("To: doctor@example.org\r\n", 0), 0u) << message;
    EXPECT_NE(message.find("\r\n\r\ndGV4dA==\r\n"), std::string::npos);  // "text"

    writeAll(program, "#!/bin/sh\necho 'no route to the relay' >&2\nexit 75\n");
    r = sendMailWith(transport, "", "doctor@example.org", "Dictation", "text", "");
    EXPECT_FALSE(r.sent);
    EXPECT_NE(r.error.find("no route to the relay"), std::string::npos) << r.error;
}

TEST_F(MailSmtp, AvailabilityFollowsServerSettingAndProgram) {
    // The test machine may have a system sendmail; only a named one is certain.
    bool systemProgram = !SendmailTransport::findProgram().empty();
    EXPECT_EQ(isMailAvailable(MailSettings{}), systemProgram);
    EXPECT_TRUE(isMailAvailable(MailSettings{"smtp://127.0.0.1:1", "", "", ""}));
    setenv("TYPIX_SENDMAIL", (work() + "missing-program").c_str(), 1);
    EXPECT_EQ(SendmailTransport::findProgram().empty(), !systemProgram);
    std::string program = makeMsmtp(1, "");
    setenv("TYPIX_SENDMAIL", program.c_str(), 1);
    EXPECT_EQ(SendmailTransport::findProgram(), program);
    if (!systemProgram) {
        unsetenv("TYPIX_SENDMAIL");
        MailSendResult r = sendMail(MailSettings{}, "a@b.org", "Dictation", "x", "");
        EXPECT_FALSE(r.sent);
        EXPECT_NE(r.error.find("SMTP server in Settings"), std::string::npos);
    }
}

}  // namespace
}  // namespace typix
