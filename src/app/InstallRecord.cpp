#include "app/InstallRecord.h"

#include <filesystem>
#include <system_error>

#include "support/IniFile.h"

namespace typix {

bool writeUninstallRecordIfNew(const std::string& recordPath, const std::string& uninstallerFile) {
    std::error_code error;
    if (std::filesystem::exists(recordPath, error) || error) return false;
    std::filesystem::create_directories(std::filesystem::path(recordPath).parent_path(), error);
    return iniWrite(recordPath, kUninstallSection, "DisplayName", kUninstallDisplayName) &&
           iniWrite(recordPath, kUninstallSection, "UninstallString", uninstallerFile);
}

}  // namespace typix
