#include "store/DictationDisplay.h"

#include <cstdio>

#include "store/DictationRecord.h"

namespace typix {

namespace {

void appendIfSet(std::string& text, const char* prefix, const std::string& value) {
    if (!value.empty()) text += prefix + value;
}

}  // namespace

std::string senderDetailsText(const DictationRecord& record) {
    std::string text = record.senderName();
    appendIfSet(text, "\r\n", record.company());
    appendIfSet(text, "\r\n", record.senderEmail());
    appendIfSet(text, "\r\n[phone] ", record.phone());
    appendIfSet(text, "\r\n[cell-pager] ", record.cell());
    appendIfSet(text, "\r\n[fax] ", record.fax());
    for (int line = 1; line <= 4; ++line) appendIfSet(text, "\r\n", record.address(line));
    return text;
}

std::string formatDictationDate(std::time_t time) {
    std::tm fields {};
    if (!gmtime_r(&time, &fields)) return "";
    char text[64];
    std::snprintf(text, sizeof text, "%.4d-%.2d-%.2d %.2d:%.2d", fields.tm_year + 1900,
                  fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min);
    return text;
}

}  // namespace typix
