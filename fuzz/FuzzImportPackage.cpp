// Imports arbitrary bytes as a dictation package into a scratch Current Files
// folder.  Whatever the bytes, the import must end without a crash, leave no
// temporary files and leave either a whole dictation or nothing.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "transfer/PackageImporter.h"

namespace {

class NeverStops : public typix::ImportHost {
public:
    bool importStopRequested() override { return false; }
    void importProgress(float) override {}
    void withFileInUse(const std::function<void(const std::string&)>& action) override {
        action("");
    }
};

const std::string& scratch() {
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-package-XXXXXX").string();
        std::string made = mkdtemp(pattern.data());
        std::filesystem::create_directories(made + "/current");
        std::filesystem::create_directories(made + "/tmp");
        // Temporary segment files land here too, so a leak would show.
        setenv("TMPDIR", (made + "/tmp").c_str(), 1);
        return made + "/";
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& folder = scratch();
    const std::string package = folder + "in.dct";
    std::ofstream(package, std::ios::binary).write(reinterpret_cast<const char*>(data),
                                                    static_cast<std::streamsize>(size));
    NeverStops host;
    typix::importPackage(package, folder + "current/", 0.5f, 0.25f, host);
    if (!std::filesystem::is_empty(folder + "tmp")) std::abort();
    std::filesystem::remove_all(folder + "current");
    std::filesystem::create_directories(folder + "current");
    return 0;
}
