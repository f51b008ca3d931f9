#include "transfer/DropFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "support/LFile.h"

namespace typix {

std::string stripFolderSetting(const std::string& setting) {
    std::string folder = setting;
    while (!folder.empty() &&
           (folder.back() == ' ' || folder.back() == '/' || folder.back() == '\\')) {
        folder.pop_back();
    }
    return folder;
}

bool copyIntoFolder(const std::string& source, const std::string& folder,
                    const std::string& name) {
    LReadFile in;
    if (!in.open(source)) return false;
    std::string temp = folder + ".typix-copy-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    ::close(fd);
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
    if (ok && std::rename(temp.c_str(), (folder + name).c_str()) == 0) return true;
    std::remove(temp.c_str());
    return false;
}

}  // namespace typix
