#pragma once
// Where the program keeps its data.  The locations come from the INI file
// folders.ini, section "Folders", with the value names below; a missing file or
// value gives the default.  The file is the one named by the environment
// variable TYPIX_FOLDERS when that is set, else
// $XDG_CONFIG_HOME/korvel-typix/folders.ini when it exists, else
// /etc/korvel-typix/folders.ini.
//
// Every folder path ends with '/', so file names are formed by plain
// concatenation: folder + base name + extension.
#include <string>

namespace typix {

inline constexpr const char* kFoldersSection = "Folders";
inline constexpr const char* kProgramFilesValue = "ProgramFiles";
inline constexpr const char* kDataFilesValue = "DataFiles";
inline constexpr const char* kCurrentFilesValue = "Current Files";
inline constexpr const char* kDoneFilesValue = "Done Files";
inline constexpr const char* kIncomingFilesValue = "Incoming Files";
inline constexpr const char* kStatusValue = "Status";
// The settings file in the data folder.
inline constexpr const char* kSettingsFileName = "settings.ini";

struct FolderPaths {
    std::string programFolder;  // where the executables live
    std::string dataFolder;     // holds settings.ini
    std::string settingsFile;   // dataFolder + "settings.ini"
    std::string currentFiles;   // the typing queue
    std::string doneFiles;      // finished dictations, kept about ten days
    std::string incomingFiles;  // arrivals not yet imported
    std::string statusFolder;   // status files for the senders
};

// The folders.ini in use (the file need not exist).
std::string foldersIniPath();

// $XDG_DATA_HOME/Korvel Typix (default ~/.local/share/Korvel Typix), without
// the trailing '/'.  Creates nothing.
std::string defaultBaseFolder();

// The value `valueName` of folders.ini without a trailing '/'.  A missing or
// empty value gives the default: the base folder itself for "DataFiles",
// base + "/" + name for a named folder.  A relative value is taken relative to
// `programFolder`.
std::string folderLookup(const std::string& valueName, const std::string& programFolder);

// Resolves all paths.  `programFolder` is the folder of the executable; the
// value "ProgramFiles" overrides it when present.
FolderPaths resolveFolders(const std::string& programFolder);

// Creates `folder` (without or with a trailing '/') readable by its owner only
// (0700) when it is missing; the folders above it are made as needed with the
// usual mode.  An existing folder keeps its mode.  True when it is there.
bool createPrivateFolder(const std::string& folder);

// Creates the data folder and the four named folders where they are missing,
// each private to its owner (createPrivateFolder).  Returns false when one of them could not be made; the paths stay usable and
// later file operations on a missing folder fail quietly.
bool createDataFolders(const FolderPaths& paths);

// The folder of the running executable, ending with '/'.
std::string executableFolder();

// Appends '/' unless the path already ends with it.
std::string withTrailingSlash(std::string path);

}  // namespace typix
