#pragma once
// The MIME text of one outgoing e-mail: a UTF-8 plain-text body and at most
// one attached file.  Lines end with CR LF.  The body and the attachment are
// base64-encoded, so every byte of the typing reaches the recipient as it was
// (long lines, lone dots, any line ending).  Pure functions, any thread.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace typix {

// An address as people write it: "Typist \u00dcnal <typist@example.net>",
// "\"Smith, J.\" <j@x.org>", "<j@x.org>" or "j@x.org".
struct Mailbox {
    std::string name;     // display name, UTF-8, "" when none
    std::string address;  // the address alone: what the envelope carries
};

// Splits `text` into display name and address.  False for an empty address
// or one with blanks, angle brackets or line breaks in it.
bool parseMailbox(const std::string& text, Mailbox& mailbox);

// The header form: "Name <address>", the name quoted when it holds special
// characters and RFC 2047-encoded when it is not ASCII; the bare address
// when there is no name.
std::string headerMailbox(const Mailbox& mailbox);

struct MailMessage {
    std::string from;        // sender as written (see Mailbox); "" leaves the From header out
    std::string to;          // recipient as written (see Mailbox)
    std::string subject;     // UTF-8
    std::string body;        // UTF-8, sent byte for byte
    std::string attachment;  // path of a file to attach; "" for none
};

struct MimeResult {
    bool ok = false;
    std::string text;   // the whole message when ok
    std::string error;  // what went wrong otherwise, for the user
};

// Builds the message.  `now` stamps the Date header (GMT); `uniqueTag` makes
// the Message-ID unique (callers pass something random).  Fails, with the
// reason, when the recipient is empty or not an address, when an address
// holds a line break (a header could be smuggled in), or when the attachment
// can't be read.
MimeResult buildMimeMessage(const MailMessage& mail, std::time_t now, uint64_t uniqueTag);

// The attachment's name as offered to the recipient: the path's last part.
std::string attachmentName(const std::string& path);

// A content type from the file name's extension, letter case ignored;
// "application/octet-stream" for anything unknown.
std::string guessContentType(const std::string& fileName);

// Base64 (RFC 4648) with the line length given (0 = one line), lines ended by CR LF.
std::string base64Encode(std::string_view bytes, size_t lineLength = 76);

// A header value for non-ASCII text: RFC 2047 encoded words, folded; ASCII
// text comes back unchanged.
std::string encodeHeaderText(std::string_view utf8);

// An RFC 5322 date in GMT: "Tue, 08 Dec 2026 01:40:11 +0000".
std::string mailDate(std::time_t when);

}  // namespace typix
