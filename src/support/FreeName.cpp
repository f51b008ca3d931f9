#include "support/FreeName.h"

namespace typix {

std::string freeName(const std::string& stem, const std::string& extension,
                     const std::function<bool(const std::string& name)>& taken) {
    std::string name = stem + extension;
    for (long n = 2; taken(name); ++n) {
        if (n > 1000000) return {};
        name = stem + " (" + std::to_string(n) + ")" + extension;
    }
    return name;
}

std::pair<std::string, std::string> splitExtension(const std::string& fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos || dot == 0) return {fileName, {}};
    return {fileName.substr(0, dot), fileName.substr(dot)};
}

}  // namespace typix
