#pragma once
// A loopback server for tests: a shell command started in its own process
// that prints the port it listens on as its first line.  Stopped (SIGTERM,
// then reaped) when the object goes; port() is 0 when it never answered.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace typix::test {

class ServerProcess {
public:
    explicit ServerProcess(const std::string& command) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ::close(out[1]);
        char line[32] = {};
        FILE* stream = fdopen(out[0], "r");
        if (stream && std::fgets(line, sizeof line, stream)) port_ = std::atoi(line);
        if (stream) std::fclose(stream);
    }
    ~ServerProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace typix::test
