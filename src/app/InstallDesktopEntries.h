#pragma once
// The freedesktop side of an installation: menu entries, the desktop
// launcher, the dictation MIME type with the program as its default, and the
// removal of stale launchers left by sibling programs.  All writes replace
// their file atomically; a failure returns false and leaves the old file.
#include <string>
#include <utility>
#include <vector>

namespace typix {

struct InstallLocations;

// The two sibling programs whose desktop launchers an installation removes.
inline constexpr const char* kSiblingProgramNames[2] = {"KORVEL SCRIBE", "KORVEL DICTATE"};

// Quotes one Exec argument as the desktop entry format wants it (reserved
// characters inside double quotes, '%' doubled, backslashes escaped).
std::string quoteExecArgument(const std::string& argument);

// The program's entry, running the installed `programFile` with a file argument.
std::string programDesktopEntry(const std::string& programFile);
// The help entry, opening the installed help document.
std::string helpDesktopEntry(const std::string& helpFile);
// The shared-mime-info package for *.dct.
std::string dictationMimeXml();

// Writes `text` to `path` (creating its folder) with `mode`, atomically.
bool writeTextFile(const std::string& path, const std::string& text, unsigned mode = 0644);

// The program file menu entries and launchers run: the ~/.local/bin link when
// it points at the installed program, else the program itself.
std::string launchCommand(const InstallLocations& at);

// Menu entries, and the launcher when there is a desktop folder; both run
// launchCommand(at).
bool writeMenuEntries(const InstallLocations& at);
bool writeDesktopLauncher(const InstallLocations& at);
// The PNG icons, each (edge, image) to its hicolor size folder.
bool writePngIcons(const InstallLocations& at, const std::vector<std::pair<int, std::string>>& pngs);
// The MIME package, the program as the type's default in mimeapps.list, and
// the icon (`iconSvg`, skipped when empty).
bool writeDictationAssociation(const InstallLocations& at, const std::string& iconSvg);

// Deletes each "*.desktop" in `desktopFolder` whose file name, upper-cased,
// contains a sibling program name.  Only the name is compared, so a desktop
// folder whose own path happens to contain such a name loses nothing else.
// Returns the number deleted.
int removeStaleLaunchers(const std::string& desktopFolder);

// Runs update-desktop-database and update-mime-database on the user's folders
// when those programs exist.
void refreshDesktopCaches(const InstallLocations& at);

}  // namespace typix
