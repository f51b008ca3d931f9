#pragma once
// A dictation's record: the key/value file base + ".dat", section "file".
// Every access goes straight to the file; a missing file or key reads as the
// key's default.  A record the program creates is readable by its owner only
// (it holds the sender's details); an existing record keeps its mode.  Records are read and written by the main thread, the
// background loader and the status writer without a lock: each key access is
// one complete read or atomic rewrite of the small file.  Destroying the
// object flushes the file to disk.
#include <ctime>
#include <string>

#include "store/DictationNames.h"
#include "support/LDatFile.h"

namespace typix {

inline constexpr const char* kRecordSection = "file";

// Status values written into "status".
inline constexpr const char* kStatusReceived = "Received";
inline constexpr const char* kStatusDone = "Done";
inline constexpr const char* kStatusDispatched = "Dispatched";
// The default of "status" for a record in Current Files and in Done Files.
inline constexpr const char* kStatusDefaultCurrent = "List";
inline constexpr const char* kStatusDefaultDone = "Done";
// "List %d of %d": the 1-based place in the queue and the queue's length.
std::string listStatus(int place, int count);

// A text value of a record as UTF-8: a value that is not valid UTF-8 (an
// 8-bit sender writes Windows-1252) is read as Windows-1252.
std::string recordTextAsUtf8(const std::string& raw);

// The package's priority byte: up to 0x21 "Low", 0x22..0x4B "Normal", above "High".
const char* priorityFromByte(unsigned char value);

class DictationRecord {
public:
    explicit DictationRecord(std::string recordPath)
        : file_(std::move(recordPath), kPrivateFileMode) {}
    // The record of `base` in `folder` (a folder path ending with '/').
    DictationRecord(const std::string& folder, const std::string& base);

    const std::string& path() const { return file_.path(); }

    std::string name() const { return text("name"); }
    int senderId() const { return file_.readInt(kRecordSection, "senderid", 0); }
    int number() const { return file_.readInt(kRecordSection, "number", 0); }
    // The default is the one for a record in Current Files; pass
    // kStatusDefaultDone for one in Done Files.
    std::string status(const std::string& defaultStatus = kStatusDefaultCurrent) const;
    // Seconds since 1970 GMT; 0 when missing (the value the queue order uses).
    int date() const { return file_.readInt(kRecordSection, "date", 0); }
    // The date to show: the current time when the record has none.
    std::time_t displayDate() const;
    std::string senderName() const { return text("sendername"); }
    std::string senderEmail() const { return text("senderemail"); }
    std::string company() const { return text("company"); }
    std::string phone() const { return text("phone"); }
    std::string cell() const { return text("cell"); }
    std::string fax() const { return text("fax"); }
    std::string address(int line) const;  // line 1 to 4
    std::string priority() const { return decoded("priority", "Normal"); }

    bool setName(const std::string& v) { return setText("name", v); }
    bool setSenderId(int v) { return file_.writeInt(kRecordSection, "senderid", v); }
    bool setNumber(int v) { return file_.writeInt(kRecordSection, "number", v); }
    bool setStatus(const std::string& v) { return setText("status", v); }
    bool setDate(int v) { return file_.writeInt(kRecordSection, "date", v); }
    bool setSenderName(const std::string& v) { return setText("sendername", v); }
    bool setSenderEmail(const std::string& v) { return setText("senderemail", v); }
    bool setCompany(const std::string& v) { return setText("company", v); }
    bool setPhone(const std::string& v) { return setText("phone", v); }
    bool setCell(const std::string& v) { return setText("cell", v); }
    bool setFax(const std::string& v) { return setText("fax", v); }
    bool setAddress(int line, const std::string& v);  // line 1 to 4
    bool setPriority(const std::string& v) { return setText("priority", v); }

    // Any text key of the record by name ("" when missing), as UTF-8: a value
    // that is not valid UTF-8 (an 8-bit sender writes Windows-1252) is read as
    // Windows-1252, as typing files are.
    std::string text(const char* key) const { return decoded(key, ""); }
    bool setText(const char* key, const std::string& value) {
        return file_.writeText(kRecordSection, key, value);
    }

    void flush() const { file_.flush(); }

private:
    std::string decoded(const std::string& key, const std::string& def) const;

    LDatFile file_;
};

}  // namespace typix
