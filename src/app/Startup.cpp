#include "app/Startup.h"

#include <cstdlib>
#include <ctime>

namespace typix {

void applyGmtTimeZone() {
    setenv("TZ", "GMT0", 1);
    tzset();
}

Settings& startProgram() {
    applyGmtTimeZone();
    const FolderPaths paths = resolveFolders(executableFolder());
    createDataFolders(paths);
    settings().setPaths(paths);
    return settings();
}

}  // namespace typix
