#include "app/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace typix {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string homeFolder() {
    std::string home = environmentValue("HOME");
    if (!home.empty()) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/tmp";
}

std::string xdgFolder(const char* variable, const char* fallbackUnderHome) {
    std::string value = environmentValue(variable);
    if (!value.empty() && value.front() == '/') return value;
    return homeFolder() + "/" + fallbackUnderHome;
}

}  // namespace typix
