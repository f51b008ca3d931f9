#pragma once
// A main window over a data folder of its own: real folders, real wave files
// and records, the real player on ALSA's null PCM.  The chain stages are the
// real ones, wrapped so a test sees which stages each chain got.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "app/Settings.h"
#include "store/DictationRecord.h"
#include "support/Poster.h"
#include "ui/MainDialog.h"
#include "ui/TransportPlayer.h"

namespace typix::uitest {

// Queues posted calls on the Qt event loop, as the program's poster does.
class EventLoopPoster : public Poster {
public:
    void post(std::function<void()> call) override {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
    }
};

// A 16-bit PCM wave with a 440 Hz tone at half scale on every channel.
inline void writeWave(const std::string& path, int rate, int channels, double seconds) {
    int frames = int(rate * seconds);
    std::vector<int16_t> samples(size_t(frames) * channels);
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            samples[size_t(f) * channels + c] = int16_t(16000 * std::sin(f * 2 * M_PI * 440 / rate));
    uint32_t data = uint32_t(samples.size() * 2);
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4); u32(36 + data); out.write("WAVEfmt ", 8); u32(16);
    u16(1); u16(uint16_t(channels)); u32(uint32_t(rate)); u32(uint32_t(rate * channels * 2));
    u16(uint16_t(channels * 2)); u16(16);
    out.write("data", 4); u32(data);
    out.write(reinterpret_cast<const char*>(samples.data()), data);
}

// The program's player, counting the starts of playback (each one opens the
// device).
class CountingPlayer : public TransportPlayer {
public:
    CountingPlayer(std::unique_ptr<TransportPlayer> real, int& starts)
        : real_(std::move(real)), starts_(starts) {}
    void setListener(Listener* l, bool levels) override { real_->setListener(l, levels); }
    void setDevice(int device) override { real_->setDevice(device); }
    void applyVolume(int level) override { real_->applyVolume(level); }
    bool play(LSoundSource chain) override {
        ++starts_;
        return real_->play(std::move(chain));
    }
    void stop() override { real_->stop(); }
    bool isPlaying() const override { return real_->isPlaying(); }
    LSoundSource source() const override { return real_->source(); }
    int32_t position() const override { return real_->position(); }
    void setPosition(int32_t frame) override { real_->setPosition(frame); }

private:
    std::unique_ptr<TransportPlayer> real_;
    int& starts_;
};

// Runs the event loop until `done` holds or `ms` pass; returns `done()`.
inline bool waitFor(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

struct MainWindowFixture : ::testing::Test {
    struct StageCall { std::string stage; double start = 0, end = 0; int32_t ramp = 0; };

    void SetUp() override {
        app();
        setenv("TYPIX_OUTPUT_DEVICE", "null", 1);
        if (!interfacePoster()) setInterfacePoster(&poster());
        const char* tmp = std::getenv("TYPIX_TEST_TMP");
        std::filesystem::path base = tmp ? tmp : std::filesystem::temp_directory_path();
        std::filesystem::create_directories(base);
        std::string pattern = (base / "mainwin-XXXXXX").string();
        root = mkdtemp(pattern.data());
        FolderPaths p;
        p.dataFolder = root + "/";
        p.settingsFile = root + "/settings.ini";
        p.currentFiles = root + "/Current Files/";
        p.doneFiles = root + "/Done Files/";
        p.incomingFiles = root + "/Incoming Files/";
        p.statusFolder = root + "/Status/";
        for (auto* f : {&p.currentFiles, &p.doneFiles, &p.incomingFiles, &p.statusFolder})
            std::filesystem::create_directories(*f);
        settings.setPaths(p);
        // The null PCM plays; a negative device keeps the tests off the machine's own mixer.
        settings.setSoundOutDevice(-1);
    }

    void TearDown() override {
        dialog.reset();
        std::filesystem::remove_all(root);
    }

    static EventLoopPoster& poster() {
        static EventLoopPoster p;
        return p;
    }

    // A dictation in Current Files; `date` orders the queue (earlier first).
    void addDictation(const std::string& base, int channels = 1, double seconds = 6.0,
                      int date = 1000000, const std::string& name = "Author") {
        writeWave(settings.currentFiles() + base + ".wav", 11025, channels, seconds);
        DictationRecord record(settings.currentFiles(), base);
        record.setName(name);
        record.setDate(date);
        record.setPriority("Low");
    }

    ChainParts recordingParts() {
        ChainParts real = defaultChainParts();
        ChainParts parts = real;
        parts.speed = [this, real](const LSoundSource& s, double a, double b, int32_t r) {
            stages.push_back({"speed", a, b, r});
            return real.speed(s, a, b, r);
        };
        parts.mix = [this, real](const LSoundSource& s, const std::vector<int8_t>& l,
                                 const std::vector<int8_t>& r) {
            stages.push_back({"mix"});
            return real.mix(s, l, r);
        };
        return parts;
    }

    MainDialog& open() {
        MainDialog::Prompts prompts;
        prompts.warn = [this](const QString& title, const QString& text) {
            warnings.push_back(title.toStdString());
            warningTexts.push_back(text.toStdString());
        };
        prompts.askYesNo = [this](const QString&, const QString&) { return answerYes; };
        prompts.openFile = [this](const QString&, const QString&) { return chosenFile; };
        dialog = std::make_unique<MainDialog>(
            settings, std::make_unique<CountingPlayer>(makeDevicePlayer(), playerStarts), nullptr,
            recordingParts(), prompts);
        return *dialog;
    }

    bool playing() { return waitFor([&] { return dialog->isPlaying(); }); }

    // Audible scans started: rewind scans begin at -0.5, forward scans at 0.5
    // with the 8-second ramp.
    int scansStarted(double start) const {
        int n = 0;
        for (auto& s : stages) n += s.stage == "speed" && s.start == start && s.ramp == 80000;
        return n;
    }

    int speedStages() const {
        int n = 0;
        for (auto& s : stages) n += s.stage == "speed";
        return n;
    }

    AppGuard guard;
    std::string root;
    Settings settings;
    std::unique_ptr<MainDialog> dialog;
    std::vector<StageCall> stages;
    int playerStarts = 0;
    std::vector<std::string> warnings;      // titles
    std::vector<std::string> warningTexts;  // the texts, in the same order
    bool answerYes = true;
    QString chosenFile;
};

}  // namespace typix::uitest
