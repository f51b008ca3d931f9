#include "store/DictationNames.h"

#include <cstdio>

namespace typix {

std::string packageBaseName(long senderId, long number) {
    char name[64];
    std::snprintf(name, sizeof name, "dct%.5ld-%.5ld", senderId, number);
    return name;
}

std::string tapeBaseName(long counter) {
    char name[64];
    std::snprintf(name, sizeof name, "Tape %.ld", counter);
    return name;
}

}  // namespace typix
