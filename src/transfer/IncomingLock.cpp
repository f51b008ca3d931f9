#include "transfer/IncomingLock.h"

#include <filesystem>
#include <system_error>

namespace typix {

LLockObject& incomingLock() {
    static LLockObject lock;
    return lock;
}

bool copyIntoIncoming(const std::string& path, const std::string& incomingFolder) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (path.empty() || !fs::is_regular_file(path, error)) return false;
    const fs::path target = fs::path(incomingFolder) / fs::path(path).filename();
    // The temporary name starts with a dot and ends in neither ".wav" nor
    // ".dct", so no import pass ever takes it for an arrival.
    // Appended piece by piece: GCC 12 at -O3 misreads the chained '+' as an
    // overlapping copy (-Wrestrict).
    std::string hidden = ".";
    hidden += target.filename().string();
    hidden += ".copying";
    const fs::path temporary = fs::path(incomingFolder) / hidden;
    LLock hold(incomingLock());
    if (fs::equivalent(path, target, error)) return true;
    error.clear();
    fs::copy_file(path, temporary, fs::copy_options::overwrite_existing, error);
    // The copy keeps the file's time: an imported audio file's record takes
    // its date from it.
    if (!error) fs::last_write_time(temporary, fs::last_write_time(path, error), error);
    if (!error) fs::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

}  // namespace typix
