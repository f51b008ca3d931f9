// MIME message building for the dispatch mail.
#include "transfer/MailMessage.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace typix {

namespace {

constexpr const char* kCrLf = "\r\n";

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string hostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == 0) return "localhost";
    return name;
}

bool readFile(const std::string& path, std::string& bytes) {
    std::error_code error;
    // A folder opens like a file but reads as nothing: never attach that.
    if (!std::filesystem::is_regular_file(path, error)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream out;
    out << in.rdbuf();
    if (in.bad()) return false;
    bytes = out.str();
    return true;
}

// A file name for the Content-Disposition and Content-Type headers: quoted
// ASCII, or the RFC 2231 form for anything else.
std::string fileNameParameter(const std::string& key, const std::string& name) {
    bool plain = isAscii(name) && name.find_first_of("\"\\") == std::string::npos;
    if (plain) return key + "=\"" + name + "\"";
    std::string out = key + "*=UTF-8''";
    static const char* hex = "0123456789ABCDEF";
    for (unsigned char c : name) {
        if (std::isalnum(c) || c == '.' || c == '-' || c == '_') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string textPartHeaders() {
    return std::string("Content-Type: text/plain; charset=UTF-8") + kCrLf +
           "Content-Transfer-Encoding: base64" + kCrLf;
}

}  // namespace

std::string base64Encode(std::string_view bytes, size_t lineLength) {
    static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve(bytes.size() * 4 / 3 + bytes.size() / 38 + 8);
    size_t column = 0;
    auto put = [&](char c) {
        if (lineLength && column == lineLength) {
            out += kCrLf;
            column = 0;
        }
        out += c;
        ++column;
    };
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        uint32_t v = uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8 |
                     uint8_t(bytes[i + 2]);
        for (int shift = 18; shift >= 0; shift -= 6) put(table[(v >> shift) & 63]);
    }
    size_t rest = bytes.size() - i;
    if (rest) {
        uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
        if (rest == 2) v |= uint32_t(uint8_t(bytes[i + 1])) << 8;
        put(table[(v >> 18) & 63]);
        put(table[(v >> 12) & 63]);
        put(rest == 2 ? table[(v >> 6) & 63] : '=');
        put('=');
    }
    if (lineLength && !out.empty()) out += kCrLf;
    return out;
}

std::string encodeHeaderText(std::string_view utf8) {
    if (isAscii(utf8)) return std::string(utf8);
    // Encoded words stay within 75 characters: 45 bytes of text become 60.
    std::string out;
    size_t start = 0;
    while (start < utf8.size()) {
        size_t end = std::min(start + 45, utf8.size());
        // Never split a character: back off over continuation bytes.
        while (end < utf8.size() && end > start + 1 && (uint8_t(utf8[end]) & 0xC0) == 0x80) --end;
        if (!out.empty()) out += std::string(kCrLf) + " ";
        out += "=?UTF-8?B?" + base64Encode(utf8.substr(start, end - start), 0) + "?=";
        start = end;
    }
    return out;
}

std::string mailDate(std::time_t when) {
    std::tm parts{};
    gmtime_r(&when, &parts);
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", days[parts.tm_wday],
                  parts.tm_mday, months[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour,
                  parts.tm_min, parts.tm_sec);
    return text;
}

std::string attachmentName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string guessContentType(const std::string& fileName) {
    static const struct { const char* ext; const char* type; } table[] = {
        {"txt", "text/plain"}, {"htm", "text/html"}, {"html", "text/html"},
        {"csv", "text/csv"}, {"rtf", "application/rtf"}, {"pdf", "application/pdf"},
        {"doc", "application/msword"},
        {"docx", "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
        {"xls", "application/vnd.ms-excel"},
        {"xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
        {"odt", "application/vnd.oasis.opendocument.text"},
        {"ods", "application/vnd.oasis.opendocument.spreadsheet"},
        {"zip", "application/zip"}, {"wav", "audio/wav"}, {"mp3", "audio/mpeg"},
        {"ogg", "audio/ogg"}, {"jpg", "image/jpeg"}, {"jpeg", "image/jpeg"},
        {"png", "image/png"}, {"gif", "image/gif"}, {"tif", "image/tiff"}, {"tiff", "image/tiff"},
    };
    size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || fileName.find('/', dot) != std::string::npos)
        return "application/octet-stream";
    std::string ext = lower(fileName.substr(dot + 1));
    for (const auto& entry : table)
        if (ext == entry.ext) return entry.type;
    return "application/octet-stream";
}

bool parseMailbox(const std::string& text, Mailbox& mailbox) {
    if (hasLineBreak(text)) return false;
    const auto trim = [](std::string value) {
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
        size_t first = value.find_first_not_of(" \t");
        return first == std::string::npos ? std::string() : value.substr(first);
    };
    std::string name, address = trim(text);
    const size_t open = address.rfind('<');
    if (open != std::string::npos) {
        const size_t close = address.find('>', open);
        if (close == std::string::npos || trim(address.substr(close + 1)) != "") return false;
        name = trim(address.substr(0, open));
        address = trim(address.substr(open + 1, close - open - 1));
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
            std::string unquoted;
            for (size_t i = 1; i + 1 < name.size(); ++i) {
                if (name[i] == '\\' && i + 2 < name.size()) ++i;
                unquoted += name[i];
            }
            name = unquoted;
        }
    }
    if (address.empty() || address.find_first_of(" \t<>\"") != std::string::npos) return false;
    mailbox = {name, address};
    return true;
}

std::string headerMailbox(const Mailbox& mailbox) {
    if (mailbox.name.empty()) return mailbox.address;
    std::string name;
    if (!isAscii(mailbox.name)) {
        name = encodeHeaderText(mailbox.name);
    } else if (mailbox.name.find_first_of("()<>[]:;@\\,.\"") != std::string::npos) {
        name = "\"";
        for (char c : mailbox.name) {
            if (c == '"' || c == '\\') name += '\\';
            name += c;
        }
        name += '"';
    } else {
        name = mailbox.name;
    }
    return name + " <" + mailbox.address + ">";
}

MimeResult buildMimeMessage(const MailMessage& mail, std::time_t now, uint64_t uniqueTag) {
    MimeResult result;
    if (mail.to.empty()) {
        result.error = "No recipient address was given.";
        return result;
    }
    if (hasLineBreak(mail.to) || hasLineBreak(mail.from)) {
        result.error = "An e-mail address holds a line break.";
        return result;
    }
    Mailbox to, from;
    if (!parseMailbox(mail.to, to)) {
        result.error = "\"" + mail.to + "\" is not an e-mail address.";
        return result;
    }
    if (!mail.from.empty() && !parseMailbox(mail.from, from)) {
        result.error = "The sender \"" + mail.from + "\" is not an e-mail address.";
        return result;
    }
    std::string attached;
    if (!mail.attachment.empty() && !readFile(mail.attachment, attached)) {
        result.error = "The attachment \"" + mail.attachment + "\" can't be read.";
        return result;
    }
    std::string subject = mail.subject;
    std::replace_if(subject.begin(), subject.end(), [](char c) { return c == '\r' || c == '\n'; },
                    ' ');
    char tag[40];
    std::snprintf(tag, sizeof tag, "%016llx.%lld", static_cast<unsigned long long>(uniqueTag),
                  static_cast<long long>(now));
    std::string text;
    if (!mail.from.empty()) text += "From: " + headerMailbox(from) + kCrLf;
    text += "To: " + headerMailbox(to) + kCrLf;
    text += "Subject: " + encodeHeaderText(subject) + kCrLf;
    text += "Date: " + mailDate(now) + kCrLf;
    text += "Message-ID: <" + std::string(tag) + "@" + hostName() + ">" + kCrLf;
    text += std::string("MIME-Version: 1.0") + kCrLf;
    if (mail.attachment.empty()) {
        text += textPartHeaders() + kCrLf + base64Encode(mail.body);
    } else {
        std::string boundary = "=_typix_" + std::string(tag);
        std::string name = attachmentName(mail.attachment);
        text += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"" + kCrLf + kCrLf;
        text += "--" + boundary + kCrLf + textPartHeaders() + kCrLf + base64Encode(mail.body);
        text += "--" + boundary + kCrLf;
        text += "Content-Type: " + guessContentType(name) + "; " + fileNameParameter("name", name) +
                kCrLf;
        text += "Content-Disposition: attachment; " + fileNameParameter("filename", name) + kCrLf;
        text += std::string("Content-Transfer-Encoding: base64") + kCrLf + kCrLf;
        text += base64Encode(attached);
        text += "--" + boundary + "--" + kCrLf;
    }
    result.ok = true;
    result.text = std::move(text);
    return result;
}

}  // namespace typix
