#include "store/DictationRecord.h"

#include <cstdio>

#include "store/DictationNames.h"

namespace typix {

namespace {

std::string addressKey(int line) { return "address" + std::to_string(line); }

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
    : file_(recordPath(folder, base)) {}

std::string DictationRecord::status(const std::string& defaultStatus) const {
    return file_.readText(kRecordSection, "status", defaultStatus);
}

std::time_t DictationRecord::displayDate() const {
    return file_.readInt(kRecordSection, "date", static_cast<int>(std::time(nullptr)));
}

std::string DictationRecord::address(int line) const {
    if (line < 1 || line > 4) return "";
    return file_.readText(kRecordSection, addressKey(line), "");
}

bool DictationRecord::setAddress(int line, const std::string& v) {
    if (line < 1 || line > 4) return false;
    return file_.writeText(kRecordSection, addressKey(line), v);
}

}  // namespace typix
