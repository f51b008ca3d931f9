#include "app/RuntimeFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include "app/UserFolders.h"

namespace typix {

namespace {

enum class Links { Follow, Refuse };

// A folder that belongs to this user; with `closedToOthers`, one that nobody
// else may enter either.  In the shared /tmp a link is refused: anyone could
// have planted it.
bool isOwnFolder(const std::string& path, Links links, bool closedToOthers) {
    struct stat info = {};
    const int found = links == Links::Follow ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    if (found != 0 || !S_ISDIR(info.st_mode)) return false;
    if (info.st_uid != ::getuid()) return false;
    return !closedToOthers || (info.st_mode & 077) == 0;
}

std::string withSeparator(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

}  // namespace

std::string runtimeFolder() {
    const std::string xdg = environmentValue("XDG_RUNTIME_DIR");
    if (!xdg.empty() && xdg[0] == '/' && isOwnFolder(xdg, Links::Follow, false)) return withSeparator(xdg);
    // A fixed place, so every start of this user agrees on it.
    const std::string fallback = "/tmp/korvel-typix-" + std::to_string(::getuid());
    ::mkdir(fallback.c_str(), 0700);
    if (isOwnFolder(fallback, Links::Refuse, true)) return withSeparator(fallback);
    return "";
}

}  // namespace typix
