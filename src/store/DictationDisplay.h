#pragma once
// The forms in which the main window shows a dictation's record.
#include <ctime>
#include <string>

namespace typix {

class DictationRecord;

// The sender panel: "sendername", then each non-empty "company" and
// "senderemail" on its own line, then non-empty "phone", "cell" and "fax"
// after "\r\n[phone] ", "\r\n[cell-pager] ", "\r\n[fax] ", then each non-empty
// address line on its own line.  Lines are separated by CR LF.
std::string senderDetailsText(const DictationRecord& record);

// "%.4d-%.2d-%.2d %.2d:%.2d" (year, month, day, hour, minute) in GMT.
std::string formatDictationDate(std::time_t time);

}  // namespace typix
