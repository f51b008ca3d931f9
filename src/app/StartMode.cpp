#include "app/StartMode.h"

#include <algorithm>
#include <cctype>

namespace typix {

StartMode startModeFromExecutable(const std::string& executablePath) {
    std::string name = executablePath.substr(executablePath.find_last_of('/') + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (name.find("SETUP") != std::string::npos) return StartMode::Install;
    if (name.find("UNINST") != std::string::npos) return StartMode::Remove;
    return StartMode::Program;
}

}  // namespace typix
