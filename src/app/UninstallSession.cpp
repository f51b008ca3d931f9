#include "app/UninstallSession.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "app/Folders.h"
#include "app/InstallDesktopEntries.h"
#include "app/InstallLocations.h"
#include "app/InstallSystemTools.h"
#include "support/IniFile.h"
#include "support/LFile.h"

namespace typix {

namespace {

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Folders an uninstaller must never empty, whatever folders.ini says.
bool isProtectedFolder(const std::string& folder) {
    struct stat target {};
    if (::stat(folder.c_str(), &target) != 0 || !S_ISDIR(target.st_mode)) return true;
    if (target.st_uid != ::geteuid()) return true;
    struct stat other {};
    if (::stat("/", &other) == 0 && sameFile(target, other)) return true;
    const char* home = std::getenv("HOME");
    return home && *home && ::stat(home, &other) == 0 && sameFile(target, other);
}

std::string temporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp == '/' ? tmp : "/tmp";
}

// The bin link is removed only while it still points into the installation.
void removeBinLink(const InstallLocations& at) {
    std::error_code error;
    if (std::filesystem::read_symlink(at.binLink, error) == at.programFile())
        std::filesystem::remove(at.binLink, error);
}

}  // namespace

std::string startTemporaryUninstaller(const std::string& selfFile) {
    std::string folder = temporaryFolder() + "/korvel-typix-XXXXXX";
    if (!::mkdtemp(folder.data())) return "";
    const std::string copy = folder + "/" + kUninstallerFileName;
    std::error_code error;
    std::filesystem::copy_file(selfFile, copy, error);
    if (error) return "";
    std::filesystem::permissions(copy, std::filesystem::perms(0700), error);
    return startDetached(copy, {kTemporaryCopyArgument}) ? copy : "";
}

int removeFolderFiles(const std::string& folder, const std::string& keepFile) {
    if (folder.empty() || isProtectedFolder(folder)) return 0;
    struct stat keep {};
    const bool haveKeep = !keepFile.empty() && ::stat(keepFile.c_str(), &keep) == 0;
    std::vector<std::string> doomed;
    for (FolderIterator it(withTrailingSlash(folder) + "*"); it.valid(); it.next()) {
        struct stat entry {};
        if (::lstat(it.path().c_str(), &entry) != 0 || S_ISDIR(entry.st_mode)) continue;
        if (haveKeep && sameFile(entry, keep)) continue;
        doomed.push_back(it.path());
    }
    int removed = 0;
    for (const std::string& file : doomed) removed += ::unlink(file.c_str()) == 0 ? 1 : 0;
    ::rmdir(folder.c_str());
    return removed;
}

void removeDesktopIntegration(const InstallLocations& at) {
    std::error_code error;
    for (const std::string& file : {at.launcher(), at.menuEntry(), at.helpMenuEntry(),
                                    at.uninstallRecord, at.mimePackage()}) {
        if (!file.empty()) std::filesystem::remove(file, error);
    }
    ::rmdir(std::filesystem::path(at.uninstallRecord).parent_path().c_str());
    removeBinLink(at);
    refreshDesktopCaches(at);
}

void removeInstalledFolders(const std::string& foldersIni, const std::string& keepFile) {
    for (const char* name : {kCurrentFilesValue, kDoneFilesValue, kIncomingFilesValue,
                             kStatusValue, kDataFilesValue, kProgramFilesValue}) {
        const std::string folder = iniRead(foldersIni, kFoldersSection, name).value_or("");
        // Only absolute paths: a relative one would depend on where the copy runs.
        if (!folder.empty() && folder.front() == '/') removeFolderFiles(folder, keepFile);
    }
}

}  // namespace typix
