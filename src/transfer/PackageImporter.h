#pragma once
// Turns one dictation package into a dictation in the Current Files folder:
// a 16-bit PCM wave, a record (".dat", section "file") and a typing file
// (".txt"), or withdraws a dictation delivered earlier.
//
// Runs on the incoming transfer thread (inside its Incoming Files pass, which
// holds the incoming lock).  The host supplies the stop test, the progress
// report and the path of the dictation open in the main window, read under
// the lock that guards it.
//
// The result tells the caller what to do with the package file:
//  - Delivered / Withdrawn: taken; delete the package.
//  - Malformed: the package itself is bad (wrong version or length, cut short,
//    audio that cannot be decoded); nothing of it is left behind; delete it.
//  - Failed: something outside the package went wrong (the output could not be
//    written, the disk is full); nothing is left behind; keep the package so
//    that the next pass tries again.
//  - Stopped: a stop request ended the import; nothing is left; keep it.
#include <functional>
#include <string>

namespace typix {

class ImportHost {
public:
    virtual ~ImportHost() = default;
    virtual bool importStopRequested() = 0;
    virtual void importProgress(float value) = 0;
    // Calls `action` with the full path of the open dictation's audio file
    // ("" when none), holding the lock that guards that path.
    virtual void withFileInUse(const std::function<void(const std::string&)>& action) = 0;
};

enum class ImportStatus { Delivered, Withdrawn, Malformed, Failed, Stopped };

struct ImportResult {
    ImportStatus status = ImportStatus::Malformed;
    std::string base;    // the dictation's base name once known
    std::string reason;  // why it was not taken
    bool taken() const {
        return status == ImportStatus::Delivered || status == ImportStatus::Withdrawn;
    }
    // True when the caller should delete the package file.
    bool removesPackage() const { return taken() || status == ImportStatus::Malformed; }
};

// `currentFolder` ends with '/'.  Progress moves from `start` to start + span.
ImportResult importPackage(const std::string& path, const std::string& currentFolder,
                           float start, float span, ImportHost& host);

}  // namespace typix
