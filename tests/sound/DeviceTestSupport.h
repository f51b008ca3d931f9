#pragma once
// Shared pieces of the player and recorder tests: a deterministic source, a
// scratch folder, environment settings that point the ALSA driver at file
// PCMs, and a loop that plays the interface thread.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "sound/LSoundSource.h"
#include "support/Poster.h"

namespace typix::test {

// A source of `length` frames whose sample (frame i, channel c) is a
// distinct 16-bit value in internal scale; silence before 0 and past the end.
class PatternSource : public LSoundSourceBase {
public:
    PatternSource(int32_t rate, int channels, int32_t length, bool* destroyed = nullptr)
        : LSoundSourceBase(rate, 524272, channels), length_(length), destroyed_(destroyed) {}
    ~PatternSource() override {
        if (destroyed_) *destroyed_ = true;
    }

    static int16_t value(int64_t frame, int channel) {
        return static_cast<int16_t>((frame * 7 + channel * 1000) % 60000 - 30000);
    }

    void read(int32_t* buffer, int32_t frames) override {
        for (int32_t i = 0; i < frames; ++i, ++position_) {
            for (int c = 0; c < channels(); ++c) {
                const bool inside = position_ >= 0 && position_ < length_;
                *buffer++ = inside ? value(position_, c) * 16 : 0;
            }
        }
    }
    void setPosition(int32_t frame) override { position_ = std::clamp(frame, 0, length_); }
    int32_t getPosition() override { return position_; }
    int32_t getLength() override { return length_; }

private:
    int32_t length_;
    int32_t position_ = 0;
    bool* destroyed_;
};

// The 16-bit samples of frames [from, to) of a PatternSource.
inline std::vector<int16_t> patternSamples(int channels, int64_t from, int64_t to) {
    std::vector<int16_t> samples;
    for (int64_t i = from; i < to; ++i) {
        for (int c = 0; c < channels; ++c) samples.push_back(PatternSource::value(i, c));
    }
    return samples;
}

inline std::vector<int16_t> readRaw16(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

inline void writeRaw16(const std::filesystem::path& path, const std::vector<int16_t>& samples) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(samples.data()),
              static_cast<std::streamsize>(samples.size() * 2));
}

// A fresh folder per test under TYPIX_TEST_TMP (or the system's temp folder).
inline std::filesystem::path scratchFolder(const std::string& name) {
    const char* root = std::getenv("TYPIX_TEST_TMP");
    std::filesystem::path folder = std::filesystem::path(root ? root : "/tmp") /
                                   ("devices-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// Runs the poster's calls on this thread until `done` or `seconds` pass.
inline bool runUntil(QueuePoster& poster, const std::function<bool()>& done, double seconds = 20) {
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        poster.waitAndRun(20);
    }
    return true;
}

}  // namespace typix::test
