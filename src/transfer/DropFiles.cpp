#include "transfer/DropFiles.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/FreeName.h"
#include "support/LFile.h"

namespace typix {

namespace {

// rename() that fails with EEXIST instead of replacing the target.  File
// systems without RENAME_NOREPLACE get the same promise from link + unlink.
bool renameWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

bool exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

std::string stripFolderSetting(const std::string& setting) {
    std::string folder = setting;
    while (!folder.empty() &&
           (folder.back() == ' ' || folder.back() == '/' || folder.back() == '\\')) {
        folder.pop_back();
    }
    return folder;
}

std::string makeHiddenTemporary(const std::string& folder) {
    std::string temp = folder + ".typix-arriving-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return {};
    ::close(fd);
    return temp;
}

std::string moveToFreeName(const std::string& temporary, const std::string& folder,
                           const std::string& name) {
    const auto [stem, extension] = splitExtension(name);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string chosen = freeName(
            stem, extension, [&](const std::string& candidate) { return exists(folder + candidate); });
        if (chosen.empty()) break;
        if (renameWithoutReplacing(temporary, folder + chosen)) return chosen;
        if (errno != EEXIST) break;  // someone took the name meanwhile: look again
    }
    std::remove(temporary.c_str());
    return {};
}

std::string copyIntoFolder(const std::string& source, const std::string& folder,
                           const std::string& name, ExistingName existing) {
    LReadFile in;
    if (!in.open(source)) return {};
    const std::string temp = makeHiddenTemporary(folder);
    if (temp.empty()) return {};
    LWriteFile out;
    bool ok = out.create(temp);
    char buffer[65536];
    while (ok) {
        ssize_t got = in.read(buffer, sizeof buffer);
        if (got < 0) ok = false;
        if (got <= 0) break;
        ok = out.write(buffer, static_cast<size_t>(got)) == got;
    }
    ok = ok && out.flush();
    // The copy keeps the source's time (an imported audio file's date).
    struct stat times {};
    if (ok && ::fstat(in.fd(), &times) == 0) {
        const struct timespec both[2] = {times.st_atim, times.st_mtim};
        ::futimens(out.fd(), both);
    }
    out.close();
    if (ok && existing == ExistingName::Replace) ok = std::rename(temp.c_str(), (folder + name).c_str()) == 0;
    if (!ok) {
        std::remove(temp.c_str());
        return {};
    }
    return existing == ExistingName::Replace ? name : moveToFreeName(temp, folder, name);
}

std::string resolvedFolder(const std::string& folder) {
    std::error_code error;
    if (folder.empty()) return {};
    // A folder that does not exist yet is compared by its normalised name.
    std::filesystem::path path = std::filesystem::weakly_canonical(folder, error);
    if (error) return {};
    std::string text = path.string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

}  // namespace typix
