// typixctl devices / play / record: the sound devices, the player and the
// voice-activated recorder on the command line.  The main thread plays the
// interface thread: it runs a QueuePoster's calls until the work ends or
// Ctrl+C asks it to stop.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "dsp/LSRCSpeed.h"
#include "formats/OpenWaveFile.h"
#include "sound/LSoundPlayer.h"
#include "sound/LSoundRecorder.h"
#include "sound/Mixer.h"
#include "sound/TimeUnits.h"
#include "sound/device/SoundDevice.h"

namespace typix::cli {
namespace {

volatile std::sig_atomic_t gInterrupted = 0;

void onInterrupt(int) { gInterrupted = 1; }

// Installs the Ctrl+C handler for the lifetime of one command.
class InterruptScope {
public:
    InterruptScope() {
        gInterrupted = 0;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptScope() { sigaction(SIGINT, &previous_, nullptr); }

private:
    struct sigaction previous_ {};
};

// Parses a number option's value; false (with a message) when it is not one.
bool parseNumber(const char* command, const char* option, const char* text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text, &end);
    if (end == text || *end != '\0') {
        std::fprintf(stderr, "typixctl %s: %s needs a number, not '%s'\n", command, option, text);
        return false;
    }
    return true;
}

int runDevices(int argc, char**) {
    if (argc != 1) {
        std::fprintf(stderr, "typixctl devices: takes no arguments\n");
        return 2;
    }
    const auto outputs = soundDriver().deviceNames(StreamDirection::Output);
    const auto inputs = soundDriver().deviceNames(StreamDirection::Input);
    const auto outputIds = soundDriver().deviceIds(StreamDirection::Output);
    const auto inputIds = soundDriver().deviceIds(StreamDirection::Input);
    auto idOf = [](const std::vector<std::string>& ids, size_t i) {
        return i < ids.size() ? "  [" + ids[i] + "]" : std::string();
    };
    std::printf("Output devices:\n");
    for (size_t i = 0; i < outputs.size(); ++i) {
        std::printf("  %zu  %s%s\n", i, outputs[i].c_str(), idOf(outputIds, i).c_str());
    }
    std::printf("Input devices:\n");
    for (size_t i = 0; i < inputs.size(); ++i) {
        std::printf("  %zu  %s%s\n", i, inputs[i].c_str(), idOf(inputIds, i).c_str());
        const int device = static_cast<int>(i);
        std::printf("       source -1  %s\n", mixerRecordSourceName(device, -1).c_str());
        const int sources = mixerRecordSourceCount(device);
        for (int s = 0; s < sources; ++s) {
            std::printf("       source %2d  %s\n", s, mixerRecordSourceName(device, s).c_str());
        }
    }
    return 0;
}

class PlayProgress : public LSoundPlayerNotify {
public:
    explicit PlayProgress(int32_t length) : length_(formatTime(length)) {}
    void onPosition(int32_t time, int32_t) override {
        std::printf("\r%s / %s ", formatTime(time).c_str(), length_.c_str());
        std::fflush(stdout);
    }
    void onStopped(int32_t) override { stopped = true; }
    bool stopped = false;

private:
    std::string length_;
};

int runPlay(int argc, char** argv) {
    const char* path = nullptr;
    double speed = 100;
    double from = 0;
    double device = 0;
    double volume = 0;
    bool volumeGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--speed" || arg == "--from" || arg == "--device" || arg == "--volume") && i + 1 < argc) {
            double* value = arg == "--speed" ? &speed : arg == "--from" ? &from
                          : arg == "--device" ? &device : &volume;
            if (!parseNumber("play", arg.c_str(), argv[++i], value)) return 2;
            volumeGiven = volumeGiven || value == &volume;
        } else if (!path && arg.rfind("--", 0) != 0) {
            path = argv[i];
        } else {
            std::fprintf(stderr, "typixctl play: unexpected argument '%s'\n", argv[i]);
            return 2;
        }
    }
    if (!path || speed < 10 || speed > 200 || from < 0 || device < -1 || device > 127 ||
        volume < -127 || volume > 127) {
        std::fprintf(stderr, "usage: typixctl play FILE [--speed 10..200] [--from SECONDS] "
                             "[--device INDEX] [--volume DB]\n");
        return 2;
    }
    LSoundSource source = openWaveFile(path);
    if (!source.usable()) {
        std::fprintf(stderr, "typixctl play: cannot play '%s': not a readable wave file\n", path);
        return 1;
    }
    const int32_t rate = source->sampleRate();
    const int32_t length = framesToTime(source->getLength(), rate);
    source->setPosition(timeToFrames(static_cast<int32_t>(from * 10000), rate));
    if (speed != 100) source = LSPSpeed(speed / 100, speed / 100, 0).apply(source);

    QueuePoster poster;
    PlayProgress progress(length);
    LSoundPlayer player(&poster);
    player.setNotify(&progress, 0);
    const int deviceIndex = static_cast<int>(device);
    player.setDevice(deviceIndex);
    // The same volume rule as the program's own player: a card's mixer for a
    // card opened directly, the program's own volume everywhere else.
    if (!volumeGiven) {
        // Leave every volume as it is.
    } else if (mixerIsCardDevice(deviceIndex, StreamDirection::Output)) {
        mixerSetPlaybackVolume(deviceIndex, static_cast<int>(volume));
    } else {
        player.setVolume(static_cast<int>(volume));
    }
    if (!player.play(source)) {
        std::fprintf(stderr, "typixctl play: no sound device would play '%s' "
                             "(check TYPIX_OUTPUT_DEVICE or the sound settings)\n", path);
        return 1;
    }
    InterruptScope interrupt;
    while (!progress.stopped) {
        if (gInterrupted) player.stop();
        poster.waitAndRun(100);
    }
    std::printf("\n");
    return 0;
}

// Prints each state change with the recorded time that comes with it (the
// recorder reports the position right after a change).
class RecordReport : public LSoundRecorderNotify {
public:
    void onActivated(int32_t) override { pending_ = "recording"; }
    void onListening(int32_t) override { pending_ = "listening"; }
    void onStopped(int32_t) override {
        say("stopped");
        stopped = true;
    }
    void onPosition(int32_t time, int32_t) override {
        time_ = time;
        if (pending_) say(pending_);
        pending_ = nullptr;
    }
    bool stopped = false;

private:
    void say(const char* state) {
        std::printf("%s %s\n", formatTime(time_).c_str(), state);
        std::fflush(stdout);
    }
    const char* pending_ = nullptr;
    int32_t time_ = 0;
};

int runRecord(int argc, char** argv) {
    const char* path = nullptr;
    double activate = -15;
    double maximum = 3600;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--activate" || arg == "--max") && i + 1 < argc) {
            if (!parseNumber("record", arg.c_str(), argv[++i], arg == "--max" ? &maximum : &activate)) return 2;
        } else if (!path && arg.rfind("--", 0) != 0) {
            path = argv[i];
        } else {
            std::fprintf(stderr, "typixctl record: unexpected argument '%s'\n", argv[i]);
            return 2;
        }
    }
    if (!path || activate < -128 || activate > 127 || maximum < 0 || maximum > 200000) {
        std::fprintf(stderr, "usage: typixctl record OUT [--activate -128..127] [--max SECONDS]\n");
        return 2;
    }
    LSoundSink sink = createPCMWaveFile(path, 11025, 1, 16);
    if (!sink.usable()) {
        std::fprintf(stderr, "typixctl record: cannot create '%s'\n", path);
        return 1;
    }
    QueuePoster poster;
    RecordReport report;
    LSoundRecorder recorder(&poster);
    recorder.setNotify(&report, 0);
    if (!recorder.start(sink, static_cast<int32_t>(maximum * 10000), static_cast<int>(activate), 30000)) {
        std::fprintf(stderr, "typixctl record: no sound input device would open "
                             "(check TYPIX_INPUT_DEVICE or the sound settings)\n");
        return 1;
    }
    sink.reset();  // the recorder holds the file; it is finished when released
    InterruptScope interrupt;
    while (!report.stopped) {
        if (gInterrupted) recorder.stop();
        poster.waitAndRun(100);
    }
    return 0;
}

const CliRegistrar devicesCommand{{"devices",
    "  devices                  output devices, input devices and their record sources",
    runDevices}};
const CliRegistrar playCommand{{"play",
    "  play FILE [--speed PERCENT] [--from SECONDS] [--device INDEX] [--volume DB]\n"
    "                           plays a wave file with a progress line (Ctrl+C stops)",
    runPlay}};
const CliRegistrar recordCommand{{"record",
    "  record OUT [--activate DB] [--max SECONDS]\n"
    "                           records a voice-activated 11025 Hz mono wave (Ctrl+C stops)",
    runRecord}};

}  // namespace
}  // namespace typix::cli
