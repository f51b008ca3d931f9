#pragma once
// Codec-compressed wave files made by tests/data/codec/make_codec_waves.sh
// once per test program, with the 16-bit PCM the ffmpeg program decodes each
// to, and a small RIFF walker that opens one as the wave reader would: the
// file positioned at its data chunk, the "fmt " chunk bytes and the data size.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "formats/LSRCACMWave.h"
#include "support/LFile.h"

namespace typix::codectest {

// The files are made on first use into TYPIX_TEST_TMP/codec-waves-<version>
// and kept there for the other test processes of the run: ctest runs every
// case as its own process, and making them takes seconds.  A fresh folder is
// renamed into place only when complete, so parallel cases never see half.
class CodecFiles {
public:
    static constexpr const char* kVersion = "3";
    static const std::string& folder() {
        static const std::string made = make();
        return made;
    }
    static std::string path(const std::string& name) { return folder() + "/" + name; }

private:
    static std::string make() {
        const char* base = std::getenv("TYPIX_TEST_TMP");
        const std::filesystem::path root = base ? base : std::filesystem::temp_directory_path().string();
        const std::filesystem::path final = root / (std::string("codec-waves-") + kVersion);
        std::error_code ec;
        if (std::filesystem::exists(final / "done", ec)) return final.string();
        std::filesystem::create_directories(root, ec);
        std::string temp = (root / "codec-making-XXXXXX").string();
        if (!mkdtemp(temp.data())) return final.string();
        const std::string cmd = std::string("sh '") + TYPIX_SOURCE_DIR +
                                "/tests/data/codec/make_codec_waves.sh' '" + temp + "'";
        if (std::system(cmd.c_str()) == 0) {
            std::ofstream(temp + "/done") << "complete\n";
            std::filesystem::rename(temp, final, ec);  // fails harmlessly when another process won
        }
        std::filesystem::remove_all(temp, ec);
        return final.string();
    }
};

inline std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}

struct WaveParts {
    std::vector<uint8_t> format;
    uint32_t dataOffset = 0;
    uint32_t dataBytes = 0;
};

inline WaveParts walkRiff(const std::string& path) {
    const std::vector<uint8_t> bytes = readAll(path);
    WaveParts parts;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = le32(bytes, at + 4);
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0) {
            parts.format.assign(bytes.begin() + static_cast<long>(at + 8), bytes.begin() + static_cast<long>(at + 8 + size));
        } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
            parts.dataOffset = static_cast<uint32_t>(at + 8);
            parts.dataBytes = size;
            break;
        }
        at += 8 + size + (size & 1);
    }
    return parts;
}

// Opens a generated file as the codec source, optionally claiming a different
// data size or format (for damaged-file cases).
inline LSoundSource openCodecWave(const std::string& path, const WaveParts& parts) {
    LReadFile file;
    if (!file.open(path)) return {};
    file.seek(parts.dataOffset, SEEK_SET);
    return makeCodecWaveSource(std::move(file), parts.format, parts.dataBytes);
}

inline LSoundSource openCodecWave(const std::string& path) { return openCodecWave(path, walkRiff(path)); }

// The reference decoding, as 16-bit samples.
inline std::vector<int16_t> referencePcm(const std::string& name) {
    const std::vector<uint8_t> bytes = readAll(CodecFiles::path(name + ".s16"));
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// Reads `frames` frames in pieces of `piece` and scales back to 16 bits.
inline std::vector<int16_t> readFrames(LSoundSource& source, int64_t frames, int32_t piece = 4000) {
    const int channels = source->channels();
    std::vector<int32_t> buffer(static_cast<size_t>(piece) * channels);
    std::vector<int16_t> out;
    for (int64_t done = 0; done < frames;) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(piece, frames - done));
        source.read(buffer.data(), n);
        for (int64_t i = 0; i < int64_t{n} * channels; ++i) out.push_back(static_cast<int16_t>(buffer[i] >> 4));
        done += n;
    }
    return out;
}

}  // namespace typix::codectest
