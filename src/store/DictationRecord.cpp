#include "store/DictationRecord.h"

#include <cstdio>

#include "store/DictationNames.h"
#include "store/TypingFile.h"
#include "support/IniFile.h"

namespace typix {

namespace {

std::string addressKey(int line) { return "address" + std::to_string(line); }

// A value cut at the read limit may end inside a UTF-8 sequence; that tail is
// dropped rather than taking the whole value for Windows-1252.
std::string_view withoutCutSequence(std::string_view value) {
    if (value.size() < kIniValueMax) return value;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(value[i]); };
    size_t end = value.size();
    while (end > 0 && value.size() - end < 3 && (byte(end - 1) & 0xC0) == 0x80) --end;
    // Only a lead byte of a multi-byte sequence starts a tail worth dropping.
    if (end == 0 || byte(end - 1) < 0xC0) return value;
    return value.substr(0, end - 1);
}

}  // namespace

std::string listStatus(int place, int count) {
    char text[64];
    std::snprintf(text, sizeof text, "List %d of %d", place, count);
    return text;
}

const char* priorityFromByte(unsigned char value) {
    if (value <= 0x21) return "Low";
    if (value <= 0x4B) return "Normal";
    return "High";
}

DictationRecord::DictationRecord(const std::string& folder, const std::string& base)
    : file_(recordPath(folder, base), kPrivateFileMode) {}

std::string DictationRecord::decoded(const std::string& key, const std::string& def) const {
    return recordTextAsUtf8(file_.readText(kRecordSection, key, def));
}

std::string recordTextAsUtf8(const std::string& value) {
    if (isValidUtf8(value)) return value;
    const std::string_view whole = withoutCutSequence(value);
    if (whole.size() < value.size() && isValidUtf8(whole)) return std::string(whole);
    return windows1252ToUtf8(value);
}

std::string DictationRecord::status(const std::string& defaultStatus) const {
    return decoded("status", defaultStatus);
}

std::time_t DictationRecord::displayDate() const {
    return file_.readInt(kRecordSection, "date", static_cast<int>(std::time(nullptr)));
}

std::string DictationRecord::address(int line) const {
    if (line < 1 || line > 4) return "";
    return decoded(addressKey(line), "");
}

bool DictationRecord::setAddress(int line, const std::string& v) {
    if (line < 1 || line > 4) return false;
    return file_.writeText(kRecordSection, addressKey(line), v);
}

}  // namespace typix
