#pragma once
// pure-ftpd on 127.0.0.1 at a free port, serving one folder to one virtual
// user, for tests that need a real FTP server (permissions, TLS, speed).
//
// The server runs in the foreground in its own process group and is killed
// with that group when the object goes (or at kill()).  Its virtual user is
// kept in a private puredb file and mapped to the unprivileged uid 65534,
// chrooted into the served folder, which is handed to that uid.  pure-ftpd
// switches to a virtual user's uid only when started as root (Debian's build
// has no non-root mode), so without root the server is not started and
// skipReason() says why; tests then GTEST_SKIP.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace typix::test {

class PureFtpServer {
public:
    struct Options {
        bool keepAllFiles = false;  // the account may not delete anything
        bool offerTls = false;      // AUTH TLS with a self-signed certificate
        std::string user = "typist";
        std::string password = "s3cret";
    };

    static constexpr const char* kProgram = "/usr/sbin/pure-ftpd";
    static constexpr unsigned kUid = 65534;

    PureFtpServer(const std::string& root, Options options) : options_(std::move(options)) {
        namespace fs = std::filesystem;
        if (access(kProgram, X_OK) != 0) {
            skip_ = "pure-ftpd is not installed (scripts/install-deps installs it)";
            return;
        }
        if (geteuid() != 0) {
            skip_ = "pure-ftpd maps its virtual user to another uid only when started as root";
            return;
        }
        const char* base = std::getenv("TYPIX_TEST_TMP");
        fs::path parent = base ? fs::path(base) : fs::temp_directory_path();
        fs::create_directories(parent);
        std::string pattern = (parent / "pureftpd-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            skip_ = "cannot make the server's configuration folder";
            return;
        }
        config_ = pattern + "/";
        std::string home = root;
        while (!home.empty() && home.back() == '/') home.pop_back();
        if (!run("chown -R " + std::to_string(kUid) + ":" + std::to_string(kUid) + " '" + home +
                 "'") ||
            !writeUser(home) ||
            !run("/usr/bin/pure-pw mkdb '" + config_ + "pure.pdb' -f '" + config_ + "passwd'") ||
            (options_.offerTls && !makeCertificate())) {
            skip_ = "cannot prepare the pure-ftpd account";
            return;
        }
        port_ = freePort();
        start();
        if (!waitUntilListening()) {
            skip_ = "pure-ftpd did not start listening";
            kill();
        }
    }
    ~PureFtpServer() {
        kill();
        if (!config_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(config_, ignored);
        }
    }
    PureFtpServer(const PureFtpServer&) = delete;
    PureFtpServer& operator=(const PureFtpServer&) = delete;

    // "" when the server runs; otherwise why it could not be started.
    const std::string& skipReason() const { return skip_; }
    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    // The server's certificate (PEM) when it offers TLS.
    std::string certificate() const { return config_ + "cert.pem"; }

    // Ends the server and every session it runs, at once.
    void kill() {
        if (pid_ <= 0) return;
        ::kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    static bool run(const std::string& command) {
        return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
    }

    bool writeUser(const std::string& home) {
        // A SHA-512 crypt hash checks at once; pure-pw's own argon2 default
        // takes seconds per login.
        FILE* pipe = popen(("/usr/bin/openssl passwd -6 '" + options_.password + "'").c_str(), "r");
        if (!pipe) return false;
        char hash[256] = {};
        bool got = std::fgets(hash, sizeof hash, pipe) != nullptr;
        pclose(pipe);
        std::string line = hash;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (!got || line.empty()) return false;
        std::ofstream out(config_ + "passwd");
        out << options_.user << ':' << line << ':' << kUid << ':' << kUid << "::" << home
            << "/./::::::::::::\n";
        return static_cast<bool>(out);
    }

    bool makeCertificate() {
        return run("/usr/bin/openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost"
                   " -keyout '" + config_ + "key.pem' -out '" + config_ + "cert.pem'");
    }

    static int freePort() {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        int port = 0;
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
        ::close(fd);
        return port;
    }

    void start() {
        std::vector<std::string> args = {kProgram, "-S", "127.0.0.1," + std::to_string(port_),
                                         "-l", "puredb:" + config_ + "pure.pdb",
                                         "-E", "-A", "-H", "-u", "1", "-I", "60"};
        if (options_.keepAllFiles) args.push_back("-K");
        if (options_.offerTls) {
            args.insert(args.end(), {"-Y", "1", "-2", config_ + "cert.pem," + config_ + "key.pem"});
        }
        pid_ = fork();
        if (pid_ != 0) return;
        setpgid(0, 0);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(kProgram, argv.data());
        _exit(127);
    }

    bool waitUntilListening() const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            int fd = socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(static_cast<uint16_t>(port_));
            bool up = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
            ::close(fd);
            if (up) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    Options options_;
    std::string skip_;
    std::string config_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace typix::test
