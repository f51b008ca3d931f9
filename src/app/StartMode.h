#pragma once
// The one executable installs, removes or runs the program, chosen by its own
// file name.
#include <string>

namespace typix {

enum class StartMode { Program, Install, Remove };

// `executablePath` is the first command-line word.  The file name without its
// extension is upper-cased: containing "SETUP" installs (even when it also
// contains "UNINST"), containing "UNINST" removes, anything else runs the program.
StartMode startModeFromExecutable(const std::string& executablePath);

}  // namespace typix
