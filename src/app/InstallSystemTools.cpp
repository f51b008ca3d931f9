#include "app/InstallSystemTools.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace typix {

namespace {

std::vector<char*> argumentVector(const std::string& executable,
                                  const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// Standard input, output and error go to /dev/null: a cache tool's chatter
// means nothing to the user, and a detached program outlives whoever reads its
// output (writing to a pipe nobody reads any more would kill it).
struct QuietStreams {
    QuietStreams() {
        posix_spawn_file_actions_init(&actions);
        for (int fd : {0, 1, 2}) {
            const int mode = fd == 0 ? O_RDONLY : O_WRONLY;
            posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", mode, 0);
        }
    }
    ~QuietStreams() { posix_spawn_file_actions_destroy(&actions); }
    QuietStreams(const QuietStreams&) = delete;
    QuietStreams& operator=(const QuietStreams&) = delete;
    posix_spawn_file_actions_t actions;
};

}  // namespace

std::string findOnPath(const std::string& program) {
    if (program.find('/') != std::string::npos)
        return ::access(program.c_str(), X_OK) == 0 ? program : "";
    const char* path = std::getenv("PATH");
    std::string folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string candidate = folders.substr(start, end - start);
        if (!candidate.empty()) {
            candidate += "/" + program;
            if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        start = end + 1;
    }
    return "";
}

bool runToolIfPresent(const std::string& program, const std::vector<std::string>& arguments) {
    const std::string executable = findOnPath(program);
    if (executable.empty()) return false;
    std::vector<char*> argv = argumentVector(executable, arguments);
    QuietStreams quiet;
    pid_t child = 0;
    if (posix_spawn(&child, executable.c_str(), &quiet.actions, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool startDetached(const std::string& executable, const std::vector<std::string>& arguments) {
    std::vector<char*> argv = argumentVector(executable, arguments);
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) return false;
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    QuietStreams quiet;
    pid_t child = 0;
    const int error =
        posix_spawn(&child, executable.c_str(), &quiet.actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    return error == 0;
}

}  // namespace typix
