#include "support/LDatFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>

#include "support/IniFile.h"

namespace typix {

int parseAtoi(const std::string& text) {
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    // Accumulated as a negative number so that INT_MIN fits; saturates beyond.
    long long value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
        value = value * 10 - (text[at] - '0');
        if (value < static_cast<long long>(INT_MIN)) value = static_cast<long long>(INT_MIN) - 1;
    }
    if (!negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int8_t parseLevel(const std::string& text) {
    int number = 0;
    bool negative = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            // Anything past three digits is clamped anyway; stop growing.
            if (number < 1000) number = number * 10 + (c - '0');
        } else if (c == '-') {
            if (negative) number = 127;
            negative = true;
        }
    }
    if (number > 127) number = 127;
    return static_cast<int8_t>(negative ? -number : number);
}

std::string formatLevel(int level) {
    if (level < -126) return "--dB";
    if (level > 127) level = 127;
    return std::to_string(level) + "dB";
}

LDatFile::~LDatFile() {
    if (!path_.empty() && wrote_) flush();
}

int LDatFile::readInt(const std::string& section, const std::string& key, int def) const {
    return parseAtoi(iniRead(path_, section, key).value_or(std::to_string(def)));
}

bool LDatFile::readFlag(const std::string& section, const std::string& key, bool def) const {
    const std::optional<std::string> value = iniRead(path_, section, key);
    if (!value) return def;
    const std::string& v = *value;
    return v.size() == 4 && std::tolower(static_cast<unsigned char>(v[0])) == 't' &&
           std::tolower(static_cast<unsigned char>(v[1])) == 'r' &&
           std::tolower(static_cast<unsigned char>(v[2])) == 'u' &&
           std::tolower(static_cast<unsigned char>(v[3])) == 'e';
}

int8_t LDatFile::readLevel(const std::string& section, const std::string& key, int def) const {
    return parseLevel(iniRead(path_, section, key).value_or(formatLevel(def)));
}

std::string LDatFile::readText(const std::string& section, const std::string& key,
                               const std::string& def) const {
    return iniRead(path_, section, key).value_or(def);
}

bool LDatFile::writeInt(const std::string& section, const std::string& key, int value) {
    return writeText(section, key, std::to_string(value));
}

bool LDatFile::writeFlag(const std::string& section, const std::string& key, bool value) {
    return writeText(section, key, value ? "true" : "false");
}

bool LDatFile::writeLevel(const std::string& section, const std::string& key, int level) {
    return writeText(section, key, formatLevel(level));
}

bool LDatFile::writeText(const std::string& section, const std::string& key,
                         const std::string& value) {
    if (path_.empty()) return false;
    wrote_ = true;
    return iniWrite(path_, section, key, value, fileMode_);
}

void LDatFile::flush() const {
    if (path_.empty()) return;
    // Writes already reach the disk before their rename; what remains is the
    // folder entry that the rename changed.
    const size_t slash = path_.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path_.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace typix
