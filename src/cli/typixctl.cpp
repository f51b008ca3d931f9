// typixctl: the core on the command line, for administrators, scripts and tests.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cli/CliCommand.h"

namespace typix::cli {

std::vector<CliCommand>& commandTable() {
    static std::vector<CliCommand> table;
    return table;
}

}  // namespace typix::cli

namespace {

void printUsage(FILE* out) {
    std::fprintf(out, "usage: typixctl COMMAND [ARGS]\n\ncommands:\n");
    auto table = typix::cli::commandTable();
    std::sort(table.begin(), table.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& command : table) std::fprintf(out, "%s\n", command.usage.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage(stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        printUsage(stdout);
        return 0;
    }
    for (const auto& command : typix::cli::commandTable()) {
        if (command.name == argv[1]) return command.run(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "typixctl: unknown command '%s' (see typixctl --help)\n", argv[1]);
    return 2;
}
