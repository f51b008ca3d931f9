// typixctl: the core on the command line, for administrators, scripts and tests.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/Version.h"
#include "cli/CliCommand.h"
#include "cli/CliManual.h"

namespace typix::cli {

std::vector<CliCommand>& commandTable() {
    static std::vector<CliCommand> table;
    return table;
}

}  // namespace typix::cli

namespace {

void printUsage(FILE* out) {
    std::fprintf(out, "usage: typixctl COMMAND [ARGS]\n"
                      "       typixctl help COMMAND | --help | --version\n\ncommands:\n");
    auto table = typix::cli::commandTable();
    std::sort(table.begin(), table.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& command : table) std::fprintf(out, "%s\n", command.usage.c_str());
}

const typix::cli::CliCommand* findCommand(const char* name) {
    for (const auto& command : typix::cli::commandTable())
        if (command.name == name) return &command;
    return nullptr;
}

// `typixctl help COMMAND`: the command's usage lines, then its manual entry.
int printCommandHelp(const char* name) {
    const typix::cli::CliCommand* command = findCommand(name);
    const std::string entries = typix::cli::manualEntries(typix::cli::typixctlManualPage(), name);
    if (!command && entries.empty()) {
        std::fprintf(stderr, "typixctl: unknown command '%s' (see typixctl --help)\n", name);
        return 2;
    }
    if (command) std::printf("usage:\n%s\n", command->usage.c_str());
    if (!entries.empty()) std::printf("%s%s", command ? "\n" : "", entries.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage(stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("typixctl (Korvel Typix) %s\n", typix::kProgramVersion);
        return 0;
    }
    if (std::strcmp(argv[1], "help") == 0 && argc == 3) return printCommandHelp(argv[2]);
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        printUsage(stdout);
        return 0;
    }
    if (const auto* command = findCommand(argv[1])) return command->run(argc - 1, argv + 1);
    std::fprintf(stderr, "typixctl: unknown command '%s' (see typixctl --help)\n", argv[1]);
    return 2;
}
