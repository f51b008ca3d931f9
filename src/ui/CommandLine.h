#pragma once
// The program's own options, handled before any window or single-instance
// hand-over: --help and --version print and end; --command NAME sends NAME
// to the running window and ends (0 when it ran, 1 when no window runs, 2
// for a name that is no command).  Every other command line names a file to
// import and goes on to the normal start.
#include <QString>

#include <optional>

namespace typix {

// The exit status when the command line was one of the options, else none.
std::optional<int> runCommandLineOptions(int argc, char** argv);

// The usage text of --help.
QString commandLineHelp();

}  // namespace typix
