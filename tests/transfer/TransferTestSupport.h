#pragma once
// Shared helpers of the transfer tests: a per-test data folder layout, the
// package generator, small file helpers and a loopback FTP server.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "transfer/BGLoad.h"
#include "transfer/ServerProcess.h"

namespace typix::test {

namespace fs = std::filesystem;

inline std::string shellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void writeAll(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

inline bool exists(const std::string& path) { return fs::exists(path); }

// A fresh folder tree under TYPIX_TEST_TMP (or the system temporary folder)
// with the four data folders and a settings file path.
class DataFolders {
public:
    DataFolders() {
        const char* base = std::getenv("TYPIX_TEST_TMP");
        fs::path parent = base ? fs::path(base) : fs::temp_directory_path();
        fs::create_directories(parent);
        std::string pattern = (parent / "transfer-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        for (const char* name : {"Incoming Files", "Current Files", "Done Files", "Status", "lan",
                                 "mail", "ftp", "work"}) {
            fs::create_directories(fs::path(root_) / name);
        }
    }
    ~DataFolders() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    std::string root() const { return root_ + "/"; }
    std::string incoming() const { return root() + "Incoming Files/"; }
    std::string current() const { return root() + "Current Files/"; }
    std::string done() const { return root() + "Done Files/"; }
    std::string status() const { return root() + "Status/"; }
    std::string work() const { return root() + "work/"; }
    std::string settings() const { return root() + "settings.ini"; }
    TransferFolders folders() const { return {incoming(), current(), done(), status(), settings()}; }

private:
    std::string root_;
};

// Runs the package generator; `options` are its command-line options.
inline void makePackage(const std::string& out, const std::string& options) {
    std::string command = "/usr/bin/python3 " +
                          shellQuote(std::string(TYPIX_SOURCE_DIR) + "/tests/data/make_package.py") +
                          " " + shellQuote(out) + " " + options;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

inline std::vector<std::string> listNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// pyftpdlib on 127.0.0.1 serving `root` for user "typist" / "s3cret".
class FtpServer {
public:
    explicit FtpServer(const std::string& root, const std::string& extraOptions = "")
        : process_("exec /usr/bin/python3 " +
                   shellQuote(std::string(TYPIX_SOURCE_DIR) + "/tests/transfer/ftp_server.py") + " " +
                   shellQuote(root) + " typist s3cret " + extraOptions) {}
    int port() const { return process_.port(); }
    std::string address() const { return "127.0.0.1:" + std::to_string(port()); }

private:
    ServerProcess process_;
};

}  // namespace typix::test
