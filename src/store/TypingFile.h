#pragma once
// The typing file base + ".txt": the typing pad's text as UTF-8 bytes, lines
// separated by CR LF, no terminator and no header.  Read whole, never
// truncated.  A file that is not valid UTF-8 (written by an older program in
// the Windows 8-bit code page) is read as Windows-1252 and converted.
#include <string>
#include <string_view>

namespace typix {

// The typing as UTF-8; "" when the file is missing or unreadable.
std::string readTyping(const std::string& path);

// Replaces the typing file atomically (temporary file + rename) with exactly
// `text`'s bytes, so a crash or a full disk leaves the earlier copy whole.
// False when the new file could not be written; the old one is then untouched.
// A new typing file is readable by its owner only; a replaced one keeps its mode.
bool writeTyping(const std::string& path, const std::string& text);

bool isValidUtf8(std::string_view bytes);
std::string windows1252ToUtf8(std::string_view bytes);

}  // namespace typix
