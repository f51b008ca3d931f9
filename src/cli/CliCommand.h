#pragma once
// typixctl's command table.  Each subsystem registers its commands from its own
// file (Commands*.cpp) with a static CliRegistrar, so adding a command never
// touches another subsystem's file.
#include <string>
#include <vector>

namespace typix::cli {

struct CliCommand {
    std::string name;       // first word on the command line ("queue", "render", ...)
    std::string usage;      // one or more lines shown by --help
    // argv[0] is the command name.  Returns the exit status: 0 success,
    // 1 failure of the operation, 2 bad arguments (print why on stderr).
    int (*run)(int argc, char** argv);
};

std::vector<CliCommand>& commandTable();

struct CliRegistrar {
    explicit CliRegistrar(CliCommand command) { commandTable().push_back(std::move(command)); }
};

}  // namespace typix::cli
