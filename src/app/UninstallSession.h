#pragma once
// Removal of a per-user installation.  The uninstaller in the installation
// folder never removes anything itself: it copies itself to a fresh folder in
// the temporary folder and starts that copy with the argument "/uninstall";
// the copy asks the user and removes.
//
// Removal takes away what the installer made: the desktop launcher, the menu
// entries, the link in ~/.local/bin, the uninstall record, the MIME type, the
// icon, the pedal rule (only where the installer recorded placing it, and only
// while it is unchanged) and the program's files in the installation folder.
// The data folders are left alone: the queue, the typing, Done Files, the
// settings and anything else the user keeps there survive a removal, ready for
// a later installation.
//
// Only when the user also answers a second, separate question (default No) are
// the dictations deleted, and even then only the files the program itself
// names: in Current, Done and Incoming Files a dictation's BASE.wav with its
// BASE.dat and BASE.txt, and in Incoming Files the .dct packages; s*.sta in
// Status; settings.ini in the data folder.  Each folder is then removed when it
// is empty.  Removal never descends into a sub-folder, never deletes the
// running program's own file, never touches the root folder, the home folder
// or a folder of another owner, and leaves folders.ini and the program's place
// as the .dct default in mimeapps.list.
#include <string>

namespace typix {

struct InstallLocations;

inline constexpr const char* kUninstallQuestion =
    "Are you sure you want to remove Korvel Typix from this computer?";
inline constexpr const char* kUninstallCaption = "Uninstall Korvel Typix";
inline constexpr const char* kTemporaryCopyArgument = "/uninstall";
// The second question; the folders follow it, one a line.
inline constexpr const char* kDeleteDictationsQuestion =
    "Also delete your dictations, typing and settings?\n\n"
    "Only the files Korvel Typix made in its data folders are deleted; anything else in "
    "them stays. Choose No to keep them for a later installation.\n\nData folders:";
// The uninstall record's key naming the pedal rule the installer placed.
inline constexpr const char* kPedalRuleRecordKey = "PedalRule";

// Copies `selfFile` to <temporary folder>/korvel-typix-XXXXXX/uninst (TMPDIR,
// else /tmp) and starts the copy with "/uninstall".  Returns the copy's path,
// empty when it could not be made or started.
std::string startTemporaryUninstaller(const std::string& selfFile);

// Folders a removal never empties: not a folder, the root folder, the home
// folder, or a folder of another owner.
bool isProtectedFolder(const std::string& folder);

// Deletes the program, its help document and the uninstaller (and copies of
// them the installer left half-written) from `installFolder`, except
// `keepFile` (compared by identity, so another name for the same file is kept
// too), and removes the folder when it is then empty.  Returns the number of
// files deleted.
int removeProgramFiles(const std::string& installFolder, const std::string& keepFile);

// The program's own files in one data folder (see above; `kind` is the
// folders.ini value name of the folder: "Current Files", "Done Files",
// "Incoming Files", "Status" or "DataFiles"), then the folder when it is
// empty.  Returns the number of files deleted.
int removeDictationFiles(const std::string& folder, const std::string& kind);

// The launchers, menu entries, bin link, uninstall record, MIME package, icon
// and the recorded pedal rule.
void removeDesktopIntegration(const InstallLocations& at);

// The data folders that folders.ini names ("Current Files", "Done Files",
// "Incoming Files", "Status", "DataFiles", in that order; a missing value
// means its default, a relative one is skipped), one a line, as the second
// question lists them.
std::string dataFolderList(const std::string& foldersIni);

// The whole removal: desktop integration, the program's files, and with
// `deleteDictations` the program's own files in the data folders.
void removeInstallation(const InstallLocations& at, const std::string& keepFile,
                        bool deleteDictations);

}  // namespace typix
