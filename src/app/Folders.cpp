#include "app/Folders.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/UserFolders.h"
#include "support/IniFile.h"

namespace typix {

namespace {

std::string stripTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::string withTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string foldersIniPath() {
    std::string named = environmentValue("TYPIX_FOLDERS");
    if (!named.empty()) return named;
    std::string user = xdgFolder("XDG_CONFIG_HOME", ".config") + "/korvel-typix/folders.ini";
    std::error_code error;
    if (std::filesystem::exists(user, error)) return user;
    return "/etc/korvel-typix/folders.ini";
}

std::string defaultBaseFolder() {
    return xdgFolder("XDG_DATA_HOME", ".local/share") + "/Korvel Typix";
}

std::string folderLookup(const std::string& valueName, const std::string& programFolder) {
    std::string value = iniRead(foldersIniPath(), kFoldersSection, valueName).value_or("");
    if (value.empty()) {
        const std::string base = defaultBaseFolder();
        return valueName == kDataFilesValue ? base : base + "/" + valueName;
    }
    if (value.front() != '/') value = withTrailingSlash(programFolder) + value;
    return stripTrailingSlashes(value);
}

FolderPaths resolveFolders(const std::string& programFolder) {
    FolderPaths paths;
    std::string program = iniRead(foldersIniPath(), kFoldersSection, kProgramFilesValue).value_or("");
    paths.programFolder = withTrailingSlash(program.empty() ? programFolder : program);
    paths.dataFolder = withTrailingSlash(folderLookup(kDataFilesValue, programFolder));
    paths.settingsFile = paths.dataFolder + kSettingsFileName;
    paths.currentFiles = withTrailingSlash(folderLookup(kCurrentFilesValue, programFolder));
    paths.doneFiles = withTrailingSlash(folderLookup(kDoneFilesValue, programFolder));
    paths.incomingFiles = withTrailingSlash(folderLookup(kIncomingFilesValue, programFolder));
    paths.statusFolder = withTrailingSlash(folderLookup(kStatusValue, programFolder));
    return paths;
}

bool createPrivateFolder(const std::string& folder) {
    const std::string path = stripTrailingSlashes(folder);
    if (path.empty()) return false;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return true;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, error);
    if (::mkdir(path.c_str(), 0700) == 0) {
        // mkdir's mode passes through the umask; the folder gets exactly 0700.
        ::chmod(path.c_str(), 0700);
        return true;
    }
    return std::filesystem::is_directory(path, error);
}

bool createDataFolders(const FolderPaths& paths) {
    bool allThere = true;
    for (const std::string* folder : {&paths.dataFolder, &paths.currentFiles, &paths.doneFiles,
                                      &paths.incomingFiles, &paths.statusFolder}) {
        if (!createPrivateFolder(*folder)) allThere = false;
    }
    return allThere;
}

std::string executableFolder() {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return withTrailingSlash(std::filesystem::current_path(error).string());
    return withTrailingSlash(self.parent_path().string());
}

}  // namespace typix
