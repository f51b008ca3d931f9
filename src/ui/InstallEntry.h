#pragma once
// The installer and uninstaller modes of the typix executable.
#include "app/StartMode.h"

namespace typix {

// Runs the installation (StartMode::Install) or the removal
// (StartMode::Remove) with its own QApplication.  argv[1], when present, marks
// the uninstaller's temporary copy.  Returns 0 when the work was done or the
// user declined, 1 when the setup file was corrupt or could not be read or
// written, or when the removal could not start.
int runInstallMode(int argc, char** argv, StartMode mode);

}  // namespace typix
