#pragma once
// A loopback SMTP server for tests (tests/data/smtp_server.py over aiosmtpd):
// started on a free port of 127.0.0.1, stopped when the object goes.  Each
// accepted message N is decoded into files under outdir/N/ (see the script).
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "transfer/ServerProcess.h"

namespace typix::test {

class MailTestServer {
public:
    explicit MailTestServer(const std::string& outdir, const std::string& options = "")
        : outdir_(outdir),
          process_("exec /usr/bin/python3 '" + std::string(TYPIX_SOURCE_DIR) +
                   "/tests/data/smtp_server.py' '" + outdir + "' " + options + " 2>/dev/null") {}
    MailTestServer(const MailTestServer&) = delete;
    MailTestServer& operator=(const MailTestServer&) = delete;

    int port() const { return process_.port(); }
    std::string url() const { return "smtp://127.0.0.1:" + std::to_string(port()); }
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
    ServerProcess process_;
};

}  // namespace typix::test
