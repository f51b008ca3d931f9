#pragma once
// The dictaphone transfer under test: the main window over its own data
// folder, the real recorder on ALSA's file PCM whose infile holds a signal
// made by tests/data/make_dock_signal.py, and a clock that follows the audio
// (each block the recorder takes is 1102 frames at 11025 Hz), so that quiet
// spells are measured in signal time however fast the test runs.
#include <QListWidget>
#include <QPushButton>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "MainWindowFixture.h"
#include "sound/device/SoundDevice.h"
#include "ui/DockDialog.h"

namespace typix::uitest {

constexpr int32_t kDockBlock = 1102;  // the recorder's block at 11025 Hz

// Forwards to the real driver and counts the input blocks taken.
class CountingDriver : public SoundDriver {
public:
    explicit CountingDriver(SoundDriver& real) : real_(real) {}
    std::vector<std::string> deviceNames(StreamDirection direction) override {
        return real_.deviceNames(direction);
    }
    std::vector<std::string> deviceIds(StreamDirection direction) override {
        return real_.deviceIds(direction);
    }
    std::unique_ptr<OutputStream> openOutput(int index, PcmFormat format, std::string* error) override {
        return real_.openOutput(index, format, error);
    }
    std::unique_ptr<InputStream> openInput(int index, PcmFormat format, int32_t blockFrames,
                                           int blockCount, InputStream::FilledCallback filled,
                                           std::string* error) override {
        auto inner = real_.openInput(index, format, blockFrames, blockCount, std::move(filled), error);
        if (!inner) return nullptr;
        return std::make_unique<Counted>(std::move(inner), taken);
    }
    std::atomic<int64_t> taken{0};

private:
    class Counted : public InputStream {
    public:
        Counted(std::unique_ptr<InputStream> inner, std::atomic<int64_t>& count)
            : inner_(std::move(inner)), count_(count) {}
        bool take(std::vector<int16_t>& samples) override {
            const bool got = inner_->take(samples);
            if (got) ++count_;
            return got;
        }

    private:
        std::unique_ptr<InputStream> inner_;
        std::atomic<int64_t>& count_;
    };
    SoundDriver& real_;
};

inline std::vector<int16_t> readRawSamples(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// The samples of a 16-bit PCM wave's data chunk; empty when there is none.
inline std::vector<int16_t> readWaveData(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        uint32_t size = 0;
        std::memcpy(&size, bytes.data() + at + 4, 4);
        if (std::memcmp(bytes.data() + at, "data", 4) == 0) {
            const size_t end = std::min(bytes.size(), at + 8 + size);
            std::vector<int16_t> samples((end - at - 8) / 2);
            std::memcpy(samples.data(), bytes.data() + at + 8, samples.size() * 2);
            return samples;
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

struct DockFixture : MainWindowFixture {
    void SetUp() override {
        MainWindowFixture::SetUp();
        const std::string config = root + "/asound.conf";
        std::ofstream(config) << "</usr/share/alsa/alsa.conf>\n"
                              << "pcm.typix_dock_capture {\n  type file\n  slave.pcm null\n"
                              << "  file \"/dev/null\"\n  infile \"" << root << "/in.raw\"\n"
                              << "  format raw\n}\n";
        setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
        setenv("TYPIX_INPUT_DEVICE", "typix_dock_capture", 1);
        setenv("TYPIX_DEVICE_CLOCK", "6", 1);
        counting = std::make_unique<CountingDriver>(soundDriver());
        previousDriver = installSoundDriver(counting.get());
        CountingDriver* driver = counting.get();
        DockDialog::setClock([driver] { return driver->taken.load() * kDockBlock * 1000 / 11025; });
    }
    void TearDown() override {
        MainWindowFixture::TearDown();
        DockDialog::setClock({});
        installSoundDriver(previousDriver);
        unsetenv("ALSA_CONFIG_PATH");
        unsetenv("TYPIX_INPUT_DEVICE");
        unsetenv("TYPIX_DEVICE_CLOCK");
    }
    // The dictaphone's playback: tokens of make_dock_signal.py.
    std::vector<int16_t> playSignal(const std::string& tokens) {
        const std::string raw = root + "/in.raw";
        const std::string command = "/usr/bin/python3 '" + std::string(TYPIX_SOURCE_DIR) +
                                    "/tests/data/make_dock_signal.py' '" + raw + "' 11025 " +
                                    std::to_string(kDockBlock) + " " + tokens;
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return readRawSamples(raw);
    }
    std::string tapePath(int n, const char* extension) const {
        return settings.currentFiles() + "Tape " + std::to_string(n) + extension;
    }
    bool listShows(const QString& text) const {
        QListWidget* list = dialog->fileList();
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->text().contains(text)) return true;
        }
        return false;
    }

    std::unique_ptr<CountingDriver> counting;
    SoundDriver* previousDriver = nullptr;
};

}  // namespace typix::uitest
