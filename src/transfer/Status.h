#pragma once
// Status files for the senders: for each sender "s" + seven-digit id + ".sta"
// in the Status folder, a 4-byte header 0 followed by one 20-byte entry per
// dictation (number as a little-endian 32-bit integer, then the status text in
// 16 bytes, zero-padded, cut at 16 without a terminator).
//
// The Status thread rebuilds every file from the records of Current Files and
// then Done Files, copies them to the LAN folder when LAN transfer is on and
// marks them for upload at the next FTP check ("ftpstatusupload" = "true").
// It takes no lock: it only reads records and writes status files.  start()
// while a rebuild runs does nothing, so quick refreshes merge into one.
#include <cstdint>
#include <string>

#include "support/LThread.h"
#include "transfer/BGLoad.h"

namespace typix {

inline constexpr int kStatusEntryBytes = 20;
inline constexpr int kStatusTextBytes = 16;

// folder + "s%.7ld.sta".
std::string statusFileName(const std::string& statusFolder, int32_t senderId);

// Appends one entry to the sender's file, creating it with its header first.
// False when the file can be neither opened nor created.
bool appendStatusEntry(const std::string& statusFolder, int32_t senderId, int32_t number,
                       const std::string& status);

class Status : public LThread {
public:
    Status() = default;
    explicit Status(TransferFolders folders) : folders_(std::move(folders)) {}
    ~Status() override;

    // While no rebuild runs.
    void configure(TransferFolders folders) { folders_ = std::move(folders); }

    // The thread body, callable directly (typixctl, tests).
    void rebuild();

protected:
    void run() override { rebuild(); }

private:
    void appendFolder(const std::string& folder, const char* defaultStatus);
    void publishToLan();

    TransferFolders folders_;
};

// The one Status thread of the program (folders from settings() unless given).
Status& statusThread();

}  // namespace typix
