#include "transfer/IncomingLock.h"

#include <filesystem>
#include <system_error>

#include "transfer/DropFiles.h"

namespace typix {

LLockObject& incomingLock() {
    static LLockObject lock;
    return lock;
}

bool copyIntoIncoming(const std::string& path, const std::string& incomingFolder) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (path.empty() || !fs::is_regular_file(path, error)) return false;
    const std::string name = fs::path(path).filename().string();
    LLock hold(incomingLock());
    if (fs::equivalent(path, incomingFolder + name, error)) return true;
    // A waiting file of the same name is another arrival: this one takes a
    // free name beside it.
    return !copyIntoFolder(path, incomingFolder, name).empty();
}

}  // namespace typix
