#pragma once
// Test helpers shared by the app, store, cli and ui tests: a fresh folder per
// test under TYPIX_TEST_TMP (else /tmp), removed afterwards, and a scoped
// environment variable.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/TempFolder.h"

namespace typix::apptest {

// A fresh folder per test, with sub-folders made on demand.
class TestFolder : public test::TempFolder {
public:
    // Creates and returns the sub-folder `name` + "/".
    std::string subfolder(const std::string& name) const {
        std::filesystem::create_directories(folder() + name);
        return folder() + name + "/";
    }
};

using test::readBytes;
using test::writeBytes;

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
