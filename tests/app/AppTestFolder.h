#pragma once
// Test helpers shared by the app, store, cli and ui tests: a fresh folder per
// test under TYPIX_TEST_TMP (else /tmp), removed afterwards, and a scoped
// environment variable.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace typix::apptest {

class TestFolder {
public:
    TestFolder() {
        const char* base = std::getenv("TYPIX_TEST_TMP");
        std::filesystem::path root = base && *base ? base : "/tmp";
        std::filesystem::create_directories(root);
        std::string pattern = (root / "app-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TestFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The folder with a trailing '/', ready for concatenation.
    std::string folder() const { return path_ + "/"; }
    std::string file(const std::string& name) const { return folder() + name; }
    // Creates and returns the sub-folder `name` + "/".
    std::string subfolder(const std::string& name) const {
        std::filesystem::create_directories(folder() + name);
        return folder() + name + "/";
    }

private:
    std::string path_;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// Sets (or with nullopt unsets) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace typix::apptest
