#pragma once
// Removal of a per-user installation.  The uninstaller in the installation
// folder never removes anything itself: it copies itself to a fresh folder in
// the temporary folder and starts that copy with the argument "/uninstall";
// the copy asks the user and removes.
//
// Removal takes away the desktop launcher, the menu entries, the link in
// ~/.local/bin, the uninstall record and the MIME type, then deletes the files
// directly in each folder that folders.ini names ("Current Files",
// "Done Files", "Incoming Files", "Status", "DataFiles", "ProgramFiles", in
// that order) and removes each folder that became empty.  It never descends
// into a sub-folder, never deletes the running program's own file, and leaves
// folders.ini and the program's place as the .dct default in mimeapps.list.
#include <string>

namespace typix {

struct InstallLocations;

inline constexpr const char* kUninstallQuestion =
    "Are you sure you want to remove Korvel Typix from this computer?";
inline constexpr const char* kUninstallCaption = "Uninstall Korvel Typix";
inline constexpr const char* kTemporaryCopyArgument = "/uninstall";

// Copies `selfFile` to <temporary folder>/korvel-typix-XXXXXX/uninst (TMPDIR,
// else /tmp) and starts the copy with "/uninstall".  Returns the copy's path,
// empty when it could not be made or started.
std::string startTemporaryUninstaller(const std::string& selfFile);

// Deletes the files directly in `folder` except `keepFile` (compared by
// identity, so another name for the same file is kept too) and removes the
// folder when it is then empty.  Returns the number of files deleted.  The
// root folder, the home folder and folders of another owner are left alone.
int removeFolderFiles(const std::string& folder, const std::string& keepFile);

// The launchers, menu entries, bin link, uninstall record and MIME package.
void removeDesktopIntegration(const InstallLocations& at);

// The folders named in folders.ini, in the order above.
void removeInstalledFolders(const std::string& foldersIni, const std::string& keepFile);

}  // namespace typix
