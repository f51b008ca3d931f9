// What the programs tell about themselves: --version of both, typixctl's
// help from its manual page, the manual pages against man's own checks and
// the README, and the bash completion of typixctl.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <regex>
#include <sstream>
#include <set>
#include <string>
#include <vector>

#include "app/AppTestFolder.h"

namespace {

using typix::apptest::readBytes;
using typix::apptest::TestFolder;
using typix::apptest::writeBytes;

const std::string kBinary = TYPIX_BINARY_DIR;
const std::string kSource = TYPIX_SOURCE_DIR;

struct ShellRun {
    int status = -1;
    std::string out;
};

// Runs a shell command line; standard error is joined to the output when `withErrors`.
ShellRun shell(const std::string& command, bool withErrors = false) {
    ShellRun run;
    FILE* pipe = ::popen((command + (withErrors ? " 2>&1" : " 2>/dev/null")).c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

ShellRun typixctl(const std::string& arguments) { return shell("'" + kBinary + "/typixctl' " + arguments); }

// The command names typixctl --help lists (its lines "  NAME ...").
std::vector<std::string> listedCommands() {
    std::set<std::string> names;
    const std::string help = typixctl("--help").out;
    const std::regex line("(^|\n)  ([a-z]+)");
    for (auto it = std::sregex_iterator(help.begin(), help.end(), line); it != std::sregex_iterator(); ++it)
        names.insert((*it)[2]);
    return {names.begin(), names.end()};
}

TEST(ProgramInfo, BothProgramsPrintTheProjectVersion) {
    EXPECT_EQ(typixctl("--version").out, "typixctl (Korvel Typix) " TYPIX_PROJECT_VERSION "\n");
    if (!std::filesystem::exists(kBinary + "/typix")) GTEST_SKIP() << "typix not built";
    const ShellRun typix = shell("QT_QPA_PLATFORM=offscreen '" + kBinary + "/typix' --version");
    EXPECT_EQ(typix.status, 0);
    EXPECT_EQ(typix.out, "typix (Korvel Typix) " TYPIX_PROJECT_VERSION "\n");
}

// Every command has its manual entry, shown as plain text under its usage.
TEST(ProgramInfo, HelpShowsEachCommandsManualEntryAsPlainText) {
    const std::vector<std::string> commands = listedCommands();
    ASSERT_GE(commands.size(), 14u);
    for (const std::string& command : commands) {
        const ShellRun help = typixctl("help " + command);
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.out.find("usage:\n  " + command), std::string::npos) << help.out;
        EXPECT_NE(help.out.find("\n\n" + command), std::string::npos)
            << command << " has no entry in typixctl.1:\n" << help.out;
        EXPECT_EQ(help.out.find('\\'), std::string::npos) << help.out;
        EXPECT_EQ(help.out.find("\n."), std::string::npos) << help.out;
    }
    const struct {
        const char* command;
        const char* shows;
    } cases[] = {
        {"render", "--bits 8|16|32 (default 16)"},
        {"render", "--speed START[,END,RAMP]"},
        {"play", "play FILE [--speed PERCENT] [--from SECONDS]"},
        {"settings", "settings get KEY\n"},
        {"settings", "settings list\n    Prints every setting"},
        {"import", "rejected NAME: REASON for each"},
        {"help", "help [COMMAND]\n"},
    };
    for (const auto& c : cases)
        EXPECT_NE(typixctl(std::string("help ") + c.command).out.find(c.shows), std::string::npos)
            << c.command << " lacks: " << c.shows;
    EXPECT_EQ(typixctl("help no-such-command").status, 2);
}

TEST(ProgramInfo, ManualPagesRenderWithoutWarnings) {
    if (shell("command -v man").status != 0) GTEST_SKIP() << "man-db missing";
    for (const char* page : {"typix.1", "typixctl.1"}) {
        const std::string file = kBinary + "/man/" + page;
        ASSERT_TRUE(std::filesystem::exists(file)) << file;
        const ShellRun warnings =
            shell("MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l '" + file + "' 2>&1 >/dev/null");
        EXPECT_EQ(warnings.status, 0) << page;
        EXPECT_EQ(warnings.out, "") << page;
        const std::string text = readBytes(file);
        EXPECT_EQ(text.find('@'), std::string::npos) << page << " has an unfilled field";
        EXPECT_NE(text.find("\"Korvel Typix " TYPIX_PROJECT_VERSION "\""), std::string::npos) << page;
    }
}

// The pages keep up with the README: its environment variables and typixctl's commands.
TEST(ProgramInfo, ManualPagesNameEveryVariableOfTheReadme) {
    const std::string readme = readBytes(kSource + "/README.md");
    std::string pages = readBytes(kBinary + "/man/typix.1") + readBytes(kBinary + "/man/typixctl.1");
    for (size_t at; (at = pages.find("\\-")) != std::string::npos;) pages.erase(at, 1);
    const std::regex variable("\\b(TYPIX_[A-Z_]+|XDG_[A-Z_]+_HOME)\\b");
    int found = 0;
    for (auto it = std::sregex_iterator(readme.begin(), readme.end(), variable);
         it != std::sregex_iterator(); ++it, ++found)
        EXPECT_NE(pages.find((*it)[1].str()), std::string::npos) << (*it)[1].str();
    EXPECT_GE(found, 5);
    for (const char* file : {"folders.ini", "settings.ini", "60-typix-pedals.rules", "typix-help.html",
                             "/etc/korvel-typix/folders.ini", ".local/bin/typix"})
        EXPECT_NE(pages.find(file), std::string::npos) << file;
}

// Completions in any order, as bash shows them sorted anyway.
std::string sortedWords(const std::string& text) {
    std::istringstream in(text);
    std::set<std::string> words{std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
    std::string joined;
    for (const std::string& word : words) joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

// The completion script with the two helpers of bash-completion it uses.
TEST(ProgramInfo, BashCompletionCompletesCommandsSubcommandsAndOptions) {
    TestFolder tmp;
    const std::string script = tmp.file("complete.sh");
    writeBytes(script,
               "_init_completion() { cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD-1]};"
               " words=(\"${COMP_WORDS[@]}\"); cword=$COMP_CWORD; }\n"
               "_filedir() { COMPREPLY=(FILES); }\n"
               "source '" + kSource + "/data/typixctl.bash-completion'\n"
               "COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); _typixctl; echo \"${COMPREPLY[*]}\"\n");
    const struct {
        const char* words;
        const char* completions;
    } cases[] = {
        {"typixctl re", "record recover render"},
        {"typixctl he", "help"},
        {"typixctl --v", "--version"},
        {"typixctl help rec", "record recover"},
        {"typixctl settings ''", "get list set"},
        {"typixctl render in.wav out.wav --b", "--bits --block"},
        {"typixctl render in.wav out.wav --bits ''", "16 32 8"},
        {"typixctl play f.wav --speed ''", ""},
        {"typixctl pass --", "--ftp"},
        {"typixctl info ''", "FILES"},
        {"typixctl queue ''", ""},
    };
    for (const auto& c : cases) {
        const ShellRun run = shell("PATH='" + kBinary + "':\"$PATH\" TYPIX_FOLDERS='" + tmp.file("folders.ini") +
                              "' bash '" + script + "' " + c.words);
        EXPECT_EQ(sortedWords(run.out), c.completions) << c.words;
    }
}

}  // namespace
