#pragma once
// The incoming transfer thread: one pass every 2 s polls the FTP host (at the
// chosen interval, or at once after forceFtpCheck()), the LAN folder (every
// 7 s) and the e-mail attachment folder (every 20 s), gathers the packages
// into the Incoming Files folder and imports everything there into Current
// Files, reporting progress and new dictations to the notify target.
//
// Threading rule, written once:
//  1. The interface thread calls setNotifyTarget, start, stop, SetFileInUse,
//     TakeNewDictation, progress() and forceFtpCheck(); everything else runs
//     on the worker thread (or, for tests and typixctl, on the caller of
//     runPass() while the worker is not running).
//  2. lock() (the LThread lock) guards the notify target, fileInUse and the
//     posting itself.  incomingLock() is held for the whole import of the
//     Incoming Files folder; whoever copies a file into that folder takes it.
//  3. progress and newDictation are atomics read and cleared without a lock.
//
// Settings are read from the settings file (section "settings") afresh on
// every pass.  Folder paths end with '/'.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/LThread.h"
#include "transfer/AudioImport.h"
#include "transfer/AudioSteps.h"
#include "transfer/PackageImporter.h"

namespace typix {

class FileTransfer;

struct TransferFolders {
    std::string incoming;      // Incoming Files, ends with '/'
    std::string current;       // Current Files, ends with '/'
    std::string done;          // Done Files, ends with '/'
    std::string status;        // Status, ends with '/'
    std::string settingsFile;  // settings.ini
};

// The name of the program's own folder ("Incoming Files", "Current Files",
// "Done Files", "Status" or "data folder") that the folder setting names or
// resolves to, "" when it is none of them.  Such a folder is never a LAN or
// e-mail source: the scan would take packages out of Incoming Files, and the
// status publication would delete every status file.
std::string ownFolderNamed(const TransferFolders& folders, const std::string& setting);

// Seconds since 1970; replaceable so that tests can move time.
using TransferClock = std::function<int64_t()>;
int64_t systemClockSeconds();

// What one pass did, for typixctl and tests.
struct PassReport {
    struct Import {
        std::string file;  // the name in Incoming Files
        ImportStatus status;
        bool isWave = false;
        std::string base;
        std::string reason;
    };
    bool ftpChecked = false;
    std::string ftpError;                // why the FTP check ended early ("" = it ran)
    std::vector<std::string> fetched;    // package names taken from FTP or a folder
    std::vector<std::string> skipped;    // names refused as not plain
    std::vector<std::string> published;  // status files uploaded
    std::vector<std::string> renamed;    // "NAME as FREE NAME": arrivals that met a waiting file
    std::vector<std::string> failures;   // one line per file a channel could not take
    std::vector<std::string> notices;    // what the typist is told (status line)
    std::vector<Import> imports;
    // True when a channel failed: the FTP check ended early, or a file could
    // not be taken.
    bool channelFailed() const { return !ftpError.empty() || !failures.empty(); }
};

class BGLoad : public LThreadNotifyProgress {
public:
    BGLoad();
    explicit BGLoad(TransferFolders folders, TransferClock clock = systemClockSeconds);
    ~BGLoad() override;

    // Interface thread, while the worker is not running.
    void configure(TransferFolders folders, TransferClock clock = systemClockSeconds);
    // The folders of the process-wide settings() (used when none were given).
    static TransferFolders foldersFromSettings();
    const TransferFolders& folders() const { return folders_; }

    // Interface thread.
    void SetFileInUse(const std::string& path);
    bool TakeNewDictation() { return newDictation_.exchange(false); }
    void forceFtpCheck() { lastFtpCheck_.store(0); }
    // The process-wide incoming-folder lock (transfer/IncomingLock.h), held
    // by ImportIncoming for its whole pass.
    LLockObject& incomingLock();

    // One pass of the thread body (steps up to and including the import and
    // the progress reset), on the caller's thread.  For tests and typixctl.
    PassReport runPass();
    // Only the import of the Incoming Files folder, on the caller's thread.
    PassReport runImportPass();

    // Single steps, exposed for tests and typixctl.
    ImportResult ImportPackage(const std::string& path, float start, float span);
    bool ImportWave(const std::string& path, float start, float span);
    void ImportIncoming();
    void ScanDropFolder(const std::string& folder, float base);
    void CheckFtp();
    bool IsCompletePackage(const std::string& path);
    bool ShouldDropBadFile(const std::string& name);
    void SetProgress(float value);

    // Messages for the status line since the last call: a source that could
    // not be deleted, an FTP certificate problem, a refused folder.  Each
    // distinct message is given once per run.  Interface thread.
    std::vector<std::string> TakeNotices();

    // Counts posts of the notify message (tests of the progress throttle).
    int notifyCount() const { return notifyCount_.load(); }
    // A stop request made from outside the thread, for runPass() callers.
    void requestStop(bool stop) { externalStop_.store(stop); }

protected:
    void run() override;

private:
    class Host;
    bool stopNow();
    void pass();
    int32_t now32() const;
    std::string readSetting(const char* key, const char* def = "") const;
    bool readFlag(const char* key, bool def) const;
    bool openFtp(FileTransfer& ftp);
    void fetchPackages(FileTransfer& ftp, float& weight);
    void publishStatusFiles(FileTransfer& ftp, float& weight);
    // Every other audio file in Incoming Files; one that does not decode stays.
    void importAudioFiles(float& weight);
    // Audio files in a LAN or e-mail folder, once settled, into Incoming Files.
    void fetchDropFolderAudio(const std::string& folder);
    // Imports under the file's own base name, or the first free "base (2)",
    // "base (3)", ... when a dictation of that name is in Current Files;
    // `base` receives the name used.
    AudioOutcome importOneWave(const std::string& path, float start, float span,
                               std::string& base);
    void notice(const std::string& text);
    bool refusesOwnFolder(const std::string& setting, const char* channel);
    // Copies one package (audio: one settled audio file) from a LAN or e-mail
    // folder into Incoming Files under a free name and deletes the source.
    void takeFromFolder(const std::string& folder, const std::string& name, bool audio);
    void fetchOne(FileTransfer& ftp, const std::string& name, const std::string& where);
    void importArrival(const std::string& name);

    TransferFolders folders_;
    TransferClock clock_;
    std::atomic<int32_t> lastFtpCheck_{1};
    int32_t lastLanScan_ = 1;
    int32_t lastEmailScan_ = 1;
    std::atomic<bool> newDictation_{false};
    int32_t badFileTime_ = 0;
    std::string badFileName_;
    std::string fileInUse_;  // guarded by lock()
    std::atomic<int> notifyCount_{0};
    std::atomic<bool> externalStop_{false};
    PassReport report_;  // worker side only
    UndecodableFiles undecodable_;  // worker side only
    std::vector<std::string> pendingNotices_;  // guarded by lock()
    std::vector<std::string> saidNotices_;     // worker side only
};

// The one BGLoad of the program.  Its folders are set by the start-up code
// with configure() before the thread starts.
BGLoad& bgLoad();

}  // namespace typix
