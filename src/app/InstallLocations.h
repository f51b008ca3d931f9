#pragma once
// Where a per-user installation puts things.  Every path follows the XDG base
// folders of the environment it runs in, so a test that points HOME and the
// XDG variables into a temporary folder installs entirely inside it.
#include <string>

namespace typix {

// The freedesktop names the installation uses.
inline constexpr const char* kDesktopId = "com.korvel.Typix.desktop";
inline constexpr const char* kHelpDesktopId = "com.korvel.Typix.Help.desktop";
inline constexpr const char* kLauncherName = "Korvel Typix.desktop";
inline constexpr const char* kIconName = "com.korvel.Typix";
inline constexpr const char* kDictationMimeType = "application/x-korvel-dictation";
inline constexpr const char* kMimePackageName = "com.korvel.Typix.xml";
inline constexpr const char* kPedalRuleName = "60-typix-pedals.rules";
// Files of the installation folder.
inline constexpr const char* kProgramFileName = "typix";
inline constexpr const char* kHelpFileName = "typix-help.html";
inline constexpr const char* kUninstallerFileName = "uninst";
// The hicolor sizes of the PNG icons, the same the package installs.
inline constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

struct InstallLocations {
    std::string installFolder;      // the default base folder, no trailing '/'
    std::string binLink;            // ~/.local/bin/typix
    std::string applicationsFolder; // $XDG_DATA_HOME/applications
    std::string desktopFolder;      // the XDG desktop folder; empty when it does not exist
    std::string uninstallRecord;    // $XDG_DATA_HOME/korvel-typix/uninstall.ini
    std::string mimeFolder;         // $XDG_DATA_HOME/mime (packages/ below it)
    std::string mimeappsList;       // $XDG_CONFIG_HOME/mimeapps.list
    std::string iconsFolder;        // $XDG_DATA_HOME/icons/hicolor
    std::string foldersIni;         // $XDG_CONFIG_HOME/korvel-typix/folders.ini, or TYPIX_FOLDERS
    std::string udevRulesFolder;    // /etc/udev/rules.d, or TYPIX_UDEV_RULES_DIR

    std::string programFile() const { return installFolder + "/" + kProgramFileName; }
    std::string helpFile() const { return installFolder + "/" + kHelpFileName; }
    std::string uninstallerFile() const { return installFolder + "/" + kUninstallerFileName; }
    std::string menuEntry() const { return applicationsFolder + "/" + kDesktopId; }
    std::string helpMenuEntry() const { return applicationsFolder + "/" + kHelpDesktopId; }
    std::string launcher() const {
        return desktopFolder.empty() ? "" : desktopFolder + "/" + kLauncherName;
    }
    std::string mimePackage() const { return mimeFolder + "/packages/" + kMimePackageName; }
    std::string scalableIcon() const {
        return iconsFolder + "/scalable/apps/" + std::string(kIconName) + ".svg";
    }
    std::string pngIcon(int size) const {
        const std::string edge = std::to_string(size);
        return iconsFolder + "/" + edge + "x" + edge + "/apps/" + std::string(kIconName) + ".png";
    }
};

// The locations for the current user and environment.
InstallLocations userInstallLocations();

// The XDG desktop folder: XDG_DESKTOP_DIR from $XDG_CONFIG_HOME/user-dirs.dirs
// ("$HOME/..." expanded), else ~/Desktop.  Empty when that folder does not exist.
std::string xdgDesktopFolder();

}  // namespace typix
