#pragma once
// Audio files of every format a dictation arrives in, made by
// tests/data/audio/make_audio_files.sh (ffmpeg and sox) once per test run
// into TYPIX_TEST_TMP/audio-files-<version>, with the PCM the ffmpeg program
// decodes each to.  A fresh folder is renamed into place only when complete,
// so parallel test processes never see half of it.
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace typix::audiotest {

class AudioFiles {
public:
    static constexpr const char* kVersion = "2";
    // "" when the files could not be made (a tool is missing).
    static const std::string& folder() {
        static const std::string made = make();
        return made;
    }
    static std::string path(const std::string& name) { return folder() + "/" + name; }

private:
    static std::string make() {
        namespace fs = std::filesystem;
        const char* base = std::getenv("TYPIX_TEST_TMP");
        const fs::path root = base ? base : fs::temp_directory_path().string();
        const fs::path final = root / (std::string("audio-files-") + kVersion);
        std::error_code ec;
        if (fs::exists(final / "done", ec)) return final.string();
        fs::create_directories(root, ec);
        std::string temp = (root / "audio-making-XXXXXX").string();
        if (!mkdtemp(temp.data())) return {};
        const std::string cmd = std::string("sh '") + TYPIX_SOURCE_DIR +
                                "/tests/data/audio/make_audio_files.sh' '" + temp + "'";
        if (std::system(cmd.c_str()) == 0) {
            std::ofstream(temp + "/done") << "complete\n";
            fs::rename(temp, final, ec);  // fails harmlessly when another process won
        }
        fs::remove_all(temp, ec);
        return fs::exists(final / "done", ec) ? final.string() : std::string();
    }
};

inline std::vector<int16_t> readSamples(const std::string& path, size_t skipBytes = 0) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() < skipBytes) return {};
    std::vector<int16_t> samples((bytes.size() - skipBytes) / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        const auto lo = static_cast<uint8_t>(bytes[skipBytes + 2 * i]);
        const auto hi = static_cast<uint8_t>(bytes[skipBytes + 2 * i + 1]);
        samples[i] = static_cast<int16_t>(lo | (hi << 8));
    }
    return samples;
}

}  // namespace typix::audiotest
