#pragma once
// A fresh folder per test under TYPIX_TEST_TMP (else /tmp), removed afterwards.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace typix::test {

class TempFolder {
public:
    TempFolder() {
        const char* base = std::getenv("TYPIX_TEST_TMP");
        std::filesystem::path root = base && *base ? base : "/tmp";
        std::filesystem::create_directories(root);
        std::string pattern = (root / "support-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder with a trailing separator, ready for concatenation.
    std::string folder() const { return path_ + "/"; }
    std::string file(const std::string& name) const { return folder() + name; }

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

}  // namespace typix::test
