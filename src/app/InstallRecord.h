#pragma once
// The uninstall record: an INI file naming the installation and the command
// that removes it, section "Uninstall" with "DisplayName" and
// "UninstallString".  Written only when there is none yet, so re-installing
// keeps the first record as it was.
#include <string>

namespace typix {

inline constexpr const char* kUninstallSection = "Uninstall";
inline constexpr const char* kUninstallDisplayName = "Korvel Typix Uninstall";

// Writes the record at `recordPath` unless the file exists.  True when it was
// written now; false when it existed already or could not be written.
bool writeUninstallRecordIfNew(const std::string& recordPath, const std::string& uninstallerFile);

}  // namespace typix
