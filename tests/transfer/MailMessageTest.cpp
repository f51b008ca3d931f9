// The MIME builder: encodings checked against worked values, and the
// refusals that keep a header from being smuggled into a message.
#include <gtest/gtest.h>

#include <string>

#include "TransferTestSupport.h"
#include "transfer/MailMessage.h"

namespace typix {
namespace {

TEST(MailMessage, Base64MatchesTheStandardVectors) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},          {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (auto [in, out] : cases) EXPECT_EQ(base64Encode(in, 0), out) << in;
    EXPECT_EQ(base64Encode(std::string("\xff\xfe\x00", 3), 0), "//4A");
}

TEST(MailMessage, Base64LinesStopAtTheLengthAndEndWithCrLf) {
    std::string text = base64Encode(std::string(120, 'a'));  // 160 characters
    EXPECT_EQ(text.substr(76, 2), "\r\n");
    EXPECT_EQ(text.substr(154, 2), "\r\n");
    EXPECT_EQ(text.size(), 160u + 3 * 2);
    EXPECT_EQ(base64Encode(std::string(57, 'a')).size(), 76u + 2);  // exactly one line
}

TEST(MailMessage, ContentTypeComesFromTheExtensionInAnyCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"letter.PDF", "application/pdf"}, {"notes.txt", "text/plain"},
        {"x.DoC", "application/msword"},   {"dictation.wav", "audio/wav"},
        {"photo.jpeg", "image/jpeg"},      {"archive.tar.gz", "application/octet-stream"},
        {"README", "application/octet-stream"}, {"dir.d/file", "application/octet-stream"},
    };
    for (auto [name, type] : cases) EXPECT_EQ(guessContentType(name), type) << name;
}

TEST(MailMessage, AttachmentNameIsThePathsLastPart) {
    EXPECT_EQ(attachmentName("/home/typist/Letters/reply 1.doc"), "reply 1.doc");
    EXPECT_EQ(attachmentName("plain.txt"), "plain.txt");
}

TEST(MailMessage, HeaderTextIsEncodedOnlyWhenNotAscii) {
    EXPECT_EQ(encodeHeaderText("Dictation (Smith)"), "Dictation (Smith)");
    EXPECT_EQ(encodeHeaderText("\xc3\xa9"), "=?UTF-8?B?w6k=?=");
    // A long name is folded into words that never split a character.
    std::string name;
    for (int i = 0; i < 40; ++i) name += "\xc3\xa9";  // 80 bytes
    std::string header = encodeHeaderText(name);
    size_t fold = header.find("\r\n ");
    ASSERT_NE(fold, std::string::npos);
    EXPECT_EQ(header.substr(0, fold), "=?UTF-8?B?" + base64Encode(name.substr(0, 44), 0) + "?=");
}

TEST(MailMessage, DateIsGmtInTheMailForm) {
    EXPECT_EQ(mailDate(0), "Thu, 01 Jan 1970 00:00:00 +0000");
    EXPECT_EQ(mailDate(1796694011), "Tue, 08 Dec 2026 01:40:11 +0000");
}

TEST(MailMessage, PlainMessageCarriesHeadersAndTheBodyInBase64) {
    MailMessage mail{"typist@example.org", "doctor@example.org", "Dictation (A)", "line 1\r\n.\r\n", ""};
    MimeResult m = buildMimeMessage(mail, 0, 0xabc);
    ASSERT_TRUE(m.ok) << m.error;
    for (const char* header :
         {"From: typist@example.org\r\n", "To: doctor@example.org\r\n",
          "Subject: Dictation (A)\r\n", "Date: Thu, 01 Jan 1970 00:00:00 +0000\r\n",
          "Message-ID: <0000000000000abc.0@", "MIME-Version: 1.0\r\n",
          "Content-Type: text/plain; charset=UTF-8\r\n"})
        EXPECT_NE(m.text.find(header), std::string::npos) << header;
    EXPECT_NE(m.text.find("\r\n\r\n" + base64Encode(mail.body)), std::string::npos);
    EXPECT_EQ(m.text.find("multipart"), std::string::npos);
}

TEST(MailMessage, WithoutSenderThereIsNoFromHeader) {
    MimeResult m = buildMimeMessage({"", "a@b", "s", "", ""}, 0, 1);
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.text.find("From:"), std::string::npos);
}

TEST(MailMessage, AttachmentIsAPartOfItsOwnUnderItsBaseName) {
    test::DataFolders folders;
    std::string path = (folders.root() + "work/") + "r\xc3\xa9ply.pdf";
    test::writeAll(path, std::string("%PDF\0\x01\xff", 7));
    MimeResult m = buildMimeMessage({"", "a@b", "s", "body", path}, 0, 7);
    ASSERT_TRUE(m.ok) << m.error;
    EXPECT_NE(m.text.find("multipart/mixed"), std::string::npos);
    EXPECT_NE(m.text.find("Content-Type: application/pdf; name*=UTF-8''r%C3%A9ply.pdf"),
              std::string::npos);
    EXPECT_NE(m.text.find(base64Encode(std::string("%PDF\0\x01\xff", 7))), std::string::npos);
    EXPECT_EQ(m.text.find((folders.root() + "work/")), std::string::npos);  // no folder leaks out
}

TEST(MailMessage, RefusesWhatWouldBreakTheHeaders) {
    struct Case { MailMessage mail; const char* why; };
    const Case cases[] = {
        {{"", "", "s", "b", ""}, "No recipient"},
        {{"", "a@b\r\nBcc: all@x", "s", "b", ""}, "line break"},
        {{"me@x\nBcc: all@x", "a@b", "s", "b", ""}, "line break"},
        {{"", "a@b", "s", "b", "/nonexistent/file.doc"}, "can't be read"},
        {{"", "a@b", "s", "b", "/tmp"}, "can't be read"},
    };
    for (const Case& c : cases) {
        MimeResult m = buildMimeMessage(c.mail, 0, 0);
        EXPECT_FALSE(m.ok);
        EXPECT_NE(m.error.find(c.why), std::string::npos) << m.error;
    }
    // A line break in the subject becomes a blank instead of a new header.
    MimeResult m = buildMimeMessage({"", "a@b", "x\r\nBcc: all@x", "b", ""}, 0, 0);
    ASSERT_TRUE(m.ok);
    EXPECT_NE(m.text.find("Subject: x  Bcc: all@x\r\n"), std::string::npos);
}

TEST(Mailbox, AddressesAsPeopleWriteThem) {
    struct Case {
        const char* text;
        bool ok;
        const char* name;
        const char* address;
    };
    const Case cases[] = {
        {"typist@example.net", true, "", "typist@example.net"},
        {" <typist@example.net> ", true, "", "typist@example.net"},
        {"Typist \xc3\x9cnal <typist@example.net>", true, "Typist \xc3\x9cnal", "typist@example.net"},
        {"\"Smith, J.\" <j@x.org>", true, "Smith, J.", "j@x.org"},
        {"\"a \\\"b\\\"\" <j@x.org>", true, "a \"b\"", "j@x.org"},
        {"", false, "", ""},
        {"Name <>", false, "", ""},
        {"Name <j@x.org", false, "", ""},
        {"two words@x.org", false, "", ""},
        {"Name <j@x.org> trailing", false, "", ""},
    };
    for (const Case& c : cases) {
        Mailbox box;
        EXPECT_EQ(parseMailbox(c.text, box), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(box.name, c.name) << c.text;
        EXPECT_EQ(box.address, c.address) << c.text;
    }
    EXPECT_EQ(headerMailbox({"", "j@x.org"}), "j@x.org");
    EXPECT_EQ(headerMailbox({"Jo Smith", "j@x.org"}), "Jo Smith <j@x.org>");
    EXPECT_EQ(headerMailbox({"Smith, J.", "j@x.org"}), "\"Smith, J.\" <j@x.org>");
    EXPECT_EQ(headerMailbox({"\xc3\x9cnal", "j@x.org"}), "=?UTF-8?B?w5xuYWw=?= <j@x.org>");
}

}  // namespace
}  // namespace typix
