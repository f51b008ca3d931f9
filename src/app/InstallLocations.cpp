#include "app/InstallLocations.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/Folders.h"
#include "app/UserFolders.h"

namespace typix {

namespace {

// The value of XDG_DESKTOP_DIR in a user-dirs.dirs file: a quoted path that is
// absolute or starts with "$HOME/".
std::string desktopFromUserDirs(const std::string& file) {
    std::ifstream in(file);
    const std::string key = "XDG_DESKTOP_DIR=";
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key, 0) != 0) continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) value = homeFolder() + value.substr(5);
        if (!value.empty() && value.front() == '/') return value;
    }
    return "";
}

}  // namespace

std::string xdgDesktopFolder() {
    std::string folder =
        desktopFromUserDirs(xdgFolder("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs");
    if (folder.empty()) folder = homeFolder() + "/Desktop";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    std::error_code error;
    return std::filesystem::is_directory(folder, error) ? folder : "";
}

InstallLocations userInstallLocations() {
    const std::string data = xdgFolder("XDG_DATA_HOME", ".local/share");
    const std::string config = xdgFolder("XDG_CONFIG_HOME", ".config");
    InstallLocations at;
    at.installFolder = defaultBaseFolder();
    at.binLink = homeFolder() + "/.local/bin/" + kProgramFileName;
    at.applicationsFolder = data + "/applications";
    at.desktopFolder = xdgDesktopFolder();
    at.uninstallRecord = data + "/korvel-typix/uninstall.ini";
    at.mimeFolder = data + "/mime";
    at.mimeappsList = config + "/mimeapps.list";
    at.iconsFolder = data + "/icons/hicolor";
    const std::string named = environmentValue("TYPIX_FOLDERS");
    at.foldersIni = named.empty() ? config + "/korvel-typix/folders.ini" : named;
    const std::string rules = environmentValue("TYPIX_UDEV_RULES_DIR");
    at.udevRulesFolder = rules.empty() ? "/etc/udev/rules.d" : rules;
    return at;
}

}  // namespace typix
