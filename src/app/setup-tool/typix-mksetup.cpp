// Build step: writes the setup file from the program and the help document.
// Usage: typix-mksetup <program> <help document> <setup file>
#include <cstdio>

#include "app/InstallSetupFile.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: typix-mksetup <program> <help document> <setup file>\n");
        return 2;
    }
    if (!typix::makeSetupFile(argv[1], argv[2], argv[3])) {
        std::fprintf(stderr, "typix-mksetup: could not read %s or %s, or write %s\n", argv[1],
                     argv[2], argv[3]);
        return 1;
    }
    return 0;
}
