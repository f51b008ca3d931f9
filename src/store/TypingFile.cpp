#include "store/TypingFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "store/DictationNames.h"
#include "support/LFile.h"

namespace typix {

namespace {

// Windows-1252 code points for bytes 0x80..0x9F; 0 marks the five unassigned
// bytes, which are kept as the C1 controls of the same value.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Length of the UTF-8 sequence starting at `i`, or 0 when it is malformed
// (overlong forms, surrogates and code points above U+10FFFF included).
size_t sequenceLength(std::string_view b, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(b[k]); };
    const auto continuation = [&](size_t k) { return k < b.size() && (byte(k) & 0xC0) == 0x80; };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return continuation(i + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!continuation(i + 1) || !continuation(i + 2)) return 0;
        if (lead == 0xE0 && byte(i + 1) < 0xA0) return 0;
        if (lead == 0xED && byte(i + 1) > 0x9F) return 0;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!continuation(i + 1) || !continuation(i + 2) || !continuation(i + 3)) return 0;
        if (lead == 0xF0 && byte(i + 1) < 0x90) return 0;
        if (lead == 0xF4 && byte(i + 1) > 0x8F) return 0;
        return 4;
    }
    return 0;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = sequenceLength(bytes, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        uint32_t code = byte;
        if (byte >= 0x80 && byte <= 0x9F && kHighControls[byte - 0x80] != 0)
            code = kHighControls[byte - 0x80];
        appendUtf8(out, code);
    }
    return out;
}

std::string readTyping(const std::string& path) {
    LReadFile file;
    if (!file.open(path)) return "";
    std::string bytes;
    char block[65536];
    for (;;) {
        const ssize_t got = file.read(block, sizeof block);
        if (got <= 0) break;
        bytes.append(block, static_cast<size_t>(got));
        if (static_cast<size_t>(got) < sizeof block) break;
    }
    return isValidUtf8(bytes) ? bytes : windows1252ToUtf8(bytes);
}

bool writeTyping(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".saving";
    struct stat existing {};
    const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777)
                                                              : kPrivateFileMode;
    LWriteFile file;
    if (!file.create(temporary, mode)) return false;
    // A temporary file left by an interrupted save would keep its own mode.
    const bool written = ::fchmod(file.fd(), mode) == 0 &&
                         file.write(text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                         file.flush();
    file.close();
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace typix
