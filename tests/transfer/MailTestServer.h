#pragma once
// A loopback SMTP server for tests (tests/data/smtp_server.py over aiosmtpd):
// started on a free port of 127.0.0.1, stopped when the object goes.  Each
// accepted message N is decoded into files under outdir/N/ (see the script).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace typix::test {

class MailTestServer {
public:
    explicit MailTestServer(const std::string& outdir, const std::string& options = "")
        : outdir_(outdir) {
        std::string command = "exec /usr/bin/python3 '" + std::string(TYPIX_SOURCE_DIR) +
                              "/tests/data/smtp_server.py' '" + outdir + "' " + options +
                              " 2>/dev/null";
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
    ~MailTestServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    MailTestServer(const MailTestServer&) = delete;
    MailTestServer& operator=(const MailTestServer&) = delete;

    int port() const { return port_; }
    std::string url() const { return "smtp://127.0.0.1:" + std::to_string(port_); }
    // A file of the n-th accepted message; "" when missing.
    std::string received(int n, const std::string& name) const {
        std::ifstream in(outdir_ + "/" + std::to_string(n) + "/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool hasMessage(int n) const {
        return access((outdir_ + "/" + std::to_string(n)).c_str(), F_OK) == 0;
    }

private:
    std::string outdir_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace typix::test
