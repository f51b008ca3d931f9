#include "app/UninstallSession.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <utility>
#include <system_error>
#include <vector>

#include "app/Folders.h"
#include "app/InstallDesktopEntries.h"
#include "app/InstallLocations.h"
#include "app/InstallPedalRule.h"
#include "app/InstallRecord.h"
#include "app/InstallSystemTools.h"
#include "support/IniFile.h"
#include "support/LFile.h"

namespace typix {

namespace {

// Names of the installation folder's files, as the installer writes them.
constexpr const char* kProgramFileNames[] = {kProgramFileName, kHelpFileName,
                                             kUninstallerFileName};
// The installer writes each of them under this suffix first and renames it.
constexpr const char* kPartSuffix = ".part";

constexpr const char* kDataFolderKinds[] = {kCurrentFilesValue, kDoneFilesValue,
                                            kIncomingFilesValue, kStatusValue, kDataFilesValue};

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
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

// The rule goes only where this installation recorded placing it, and only
// while it is the rule the installer wrote: an administrator's edit stays.
void removePedalRule(const InstallLocations& at) {
    const std::string rule =
        iniRead(at.uninstallRecord, kUninstallSection, kPedalRuleRecordKey).value_or("");
    if (rule.empty() || rule.front() != '/') return;
    std::ifstream in(rule, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.is_open() || text != pedalRuleText() || ::unlink(rule.c_str()) != 0) return;
    if (std::filesystem::path(rule).parent_path() == "/etc/udev/rules.d")
        runToolIfPresent("udevadm", {"control", "--reload-rules"});
}

bool endsWithIgnoringCase(const std::string& name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    for (size_t i = 0; i < suffix.size(); ++i) {
        const auto a = static_cast<unsigned char>(name[name.size() - suffix.size() + i]);
        if (std::tolower(a) != static_cast<unsigned char>(suffix[i])) return false;
    }
    return true;
}

// Regular files (and links) directly in `folder`, by name.
std::vector<std::string> plainFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (FolderIterator it(withTrailingSlash(folder) + "*"); it.valid(); it.next()) {
        struct stat entry {};
        if (::lstat(it.path().c_str(), &entry) != 0) continue;
        if (S_ISREG(entry.st_mode) || S_ISLNK(entry.st_mode)) names.push_back(it.name());
    }
    return names;
}

// The names in `names` that the program made in a folder of `kind`.
std::vector<std::string> programNamedFiles(const std::vector<std::string>& names,
                                           const std::string& kind) {
    std::vector<std::string> doomed;
    const auto present = [&names](const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    if (kind == kDataFilesValue) {
        if (present(kSettingsFileName)) doomed.emplace_back(kSettingsFileName);
        return doomed;
    }
    if (kind == kStatusValue) {
        for (const std::string& name : names)
            if (wildcardMatch("s*.sta", name)) doomed.push_back(name);
        return doomed;
    }
    for (const std::string& name : names) {
        if (kind == kIncomingFilesValue && endsWithIgnoringCase(name, ".dct")) {
            doomed.push_back(name);
            continue;
        }
        if (!endsWithIgnoringCase(name, ".wav") || name.size() == 4) continue;
        // A dictation: its audio, and the record and typing of the same base.
        const std::string base = name.substr(0, name.size() - 4);
        doomed.push_back(name);
        for (const char* companion : {".dat", ".txt"})
            if (present(base + companion)) doomed.push_back(base + companion);
    }
    std::sort(doomed.begin(), doomed.end());
    doomed.erase(std::unique(doomed.begin(), doomed.end()), doomed.end());
    return doomed;
}

// The data folders in removal order with their kind; a missing value is its
// default, a relative one (it would depend on where the remover runs) is left out.
std::vector<std::pair<std::string, std::string>> dataFolders(const std::string& foldersIni) {
    std::vector<std::pair<std::string, std::string>> folders;
    const std::string base = defaultBaseFolder();
    for (const char* kind : kDataFolderKinds) {
        std::string folder = iniRead(foldersIni, kFoldersSection, kind).value_or("");
        if (folder.empty()) folder = kind == std::string(kDataFilesValue) ? base : base + "/" + kind;
        if (folder.front() != '/') continue;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        folders.emplace_back(kind, folder);
    }
    return folders;
}

}  // namespace

bool isProtectedFolder(const std::string& folder) {
    struct stat target {};
    if (::stat(folder.c_str(), &target) != 0 || !S_ISDIR(target.st_mode)) return true;
    if (target.st_uid != ::geteuid()) return true;
    struct stat other {};
    if (::stat("/", &other) == 0 && sameFile(target, other)) return true;
    const char* home = std::getenv("HOME");
    return home && *home && ::stat(home, &other) == 0 && sameFile(target, other);
}

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

int removeProgramFiles(const std::string& installFolder, const std::string& keepFile) {
    if (installFolder.empty() || isProtectedFolder(installFolder)) return 0;
    struct stat keep {};
    const bool haveKeep = !keepFile.empty() && ::stat(keepFile.c_str(), &keep) == 0;
    int removed = 0;
    for (const char* name : kProgramFileNames) {
        for (const std::string& file : {withTrailingSlash(installFolder) + name,
                                        withTrailingSlash(installFolder) + name + kPartSuffix}) {
            struct stat entry {};
            if (::lstat(file.c_str(), &entry) != 0 || S_ISDIR(entry.st_mode)) continue;
            if (haveKeep && sameFile(entry, keep)) continue;
            removed += ::unlink(file.c_str()) == 0 ? 1 : 0;
        }
    }
    ::rmdir(installFolder.c_str());
    return removed;
}

int removeDictationFiles(const std::string& folder, const std::string& kind) {
    if (folder.empty() || isProtectedFolder(folder)) return 0;
    int removed = 0;
    for (const std::string& name : programNamedFiles(plainFilesIn(folder), kind))
        removed += ::unlink((withTrailingSlash(folder) + name).c_str()) == 0 ? 1 : 0;
    ::rmdir(folder.c_str());
    return removed;
}

void removeDesktopIntegration(const InstallLocations& at) {
    removePedalRule(at);
    std::error_code error;
    for (const std::string& file : {at.launcher(), at.menuEntry(), at.helpMenuEntry(),
                                    at.uninstallRecord, at.mimePackage(), at.scalableIcon()}) {
        if (!file.empty()) std::filesystem::remove(file, error);
    }
    for (int size : kIconSizes) std::filesystem::remove(at.pngIcon(size), error);
    ::rmdir(std::filesystem::path(at.uninstallRecord).parent_path().c_str());
    removeBinLink(at);
    refreshDesktopCaches(at);
}

std::string dataFolderList(const std::string& foldersIni) {
    std::string list;
    for (const auto& [kind, folder] : dataFolders(foldersIni)) list += "\n" + folder;
    return list;
}

void removeInstallation(const InstallLocations& at, const std::string& keepFile,
                        bool deleteDictations) {
    removeDesktopIntegration(at);
    if (deleteDictations) {
        for (const auto& [kind, folder] : dataFolders(at.foldersIni))
            removeDictationFiles(folder, kind);
    }
    // Last, so that an installation folder holding the data folders can go
    // once they are gone.
    removeProgramFiles(at.installFolder, keepFile);
}

}  // namespace typix
