#pragma once
// Runs the built typixctl as a separate process, with its output and errors
// caught in files of a scratch folder.
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "formats/WaveTestSupport.h"

namespace typix::test {

struct CommandResult {
    int status;
    std::string out, err;
};

inline std::string quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// `prefix` is shell text put before the command (limits, traps).
inline CommandResult typixctl(const ScratchFolder& dir, const std::vector<std::string>& args,
                              const std::string& prefix = "") {
    std::string command = quote(std::string(TYPIX_BINARY_DIR) + "/typixctl");
    for (const auto& a : args) command += " " + quote(a);
    command += " >" + quote(dir.file("stdout")) + " 2>" + quote(dir.file("stderr"));
    if (!prefix.empty()) command = "(" + prefix + "; exec " + command + ")";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(dir.file("stdout")), readFile(dir.file("stderr"))};
}

}  // namespace typix::test
