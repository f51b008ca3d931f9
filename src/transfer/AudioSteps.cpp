#include "transfer/AudioSteps.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "dsp/LSRCConvChannels.h"
#include "dsp/LSRCConvertRate.h"
#include "formats/OpenWaveFile.h"

namespace typix {

namespace {

constexpr int kOutputBits = 16;
constexpr int32_t kDefaultCommonRate = 22050;

int64_t fileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

// The sink reports a file it could not create; a write that failed later (a
// full disk) shows as a file shorter than the frames that went into it.
AudioOutcome finishSink(LSoundSink& sink, const std::string& output, int channels) {
    if (!sink.usable()) {
        sink.reset();
        return AudioOutcome::OutputFailed;
    }
    int64_t frames = sink->framesWritten();
    sink.reset();  // writes the final header and closes the file
    int64_t expected = frames * channels * (kOutputBits / 8);
    return fileSize(output) >= expected ? AudioOutcome::Ok : AudioOutcome::OutputFailed;
}

// How many of the frames just read lie before the source's end, or -1 when
// the end has not been reached.
int32_t framesBeforeEnd(LSoundSourceBase* source, int32_t framesRead) {
    int32_t position = source->getPosition();
    int32_t length = source->getLength();
    if (position < length) return -1;
    int32_t keep = framesRead - (position - length);
    return keep > 0 ? keep : 0;
}

// No decoder turns one input byte into more than this many frames; a header
// that claims more data than its file holds is not followed past this bound,
// so a hostile file cannot fill the disk with silence.
constexpr int64_t kMaxFramesPerInputByte = 64;

int64_t frameLimit(const std::string& input) {
    int64_t bytes = fileSize(input);
    return bytes < 0 ? 0 : bytes * kMaxFramesPerInputByte + kCopyBlockFrames;
}

AudioOutcome copyAll(const LSoundSource& source, LSoundSink& sink, const StopTest& stop,
                     const BlockReport& report, int64_t maxFrames) {
    const int channels = source->channels();
    std::vector<int32_t> block(static_cast<size_t>(kCopyBlockFrames) * channels);
    int blocks = 0;
    while (!stop()) {
        source->read(block.data(), kCopyBlockFrames);
        int32_t keep = framesBeforeEnd(source.get(), kCopyBlockFrames);
        if (keep < 0 && int64_t{blocks + 1} * kCopyBlockFrames >= maxFrames) keep = kCopyBlockFrames;
        if (keep >= 0) {
            if (keep > 0) sink->write(block.data(), keep);
            return AudioOutcome::Ok;
        }
        sink->write(block.data(), kCopyBlockFrames);
        if (!sink.usable()) return AudioOutcome::OutputFailed;
        ++blocks;
        if (report) report(blocks);
    }
    return AudioOutcome::Stopped;
}

}  // namespace

std::string makeTempFile() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) folder = "/tmp";
    std::string path = (folder / "tmpXXXXXX").string();
    int fd = mkstemp(path.data());
    if (fd < 0) return "";
    ::close(fd);
    return path;
}

AudioOutcome convertWave(const std::string& input, const std::string& output, bool toMono,
                         const StopTest& stop, const BlockReport& report) {
    LSoundSource source = openWaveFile(input);
    if (!source.usable()) return AudioOutcome::Undecodable;
    if (toMono) source = LSPConvChannels(1).apply(source);
    if (!source.usable()) return AudioOutcome::Undecodable;
    const int channels = source->channels();
    LSoundSink sink = createPCMWaveFile(output, source->sampleRate(), channels, kOutputBits, 0,
                                          HeaderSync::AtClose);
    AudioOutcome outcome = sink.usable()
                               ? copyAll(source, sink, stop, report, frameLimit(input))
                               : AudioOutcome::OutputFailed;
    AudioOutcome closed = finishSink(sink, output, channels);
    if (outcome == AudioOutcome::Ok) outcome = closed;
    if (outcome != AudioOutcome::Ok) std::remove(output.c_str());
    return outcome;
}

AudioOutcome mergeChannels(const std::vector<std::string>& inputs, const std::string& output,
                           const StopTest& stop) {
    const int m = static_cast<int>(inputs.size());
    int32_t commonRate = kDefaultCommonRate;
    std::vector<LSoundSource> sources(inputs.size());
    for (int k = 0; k < m; ++k) {
        sources[k] = openWaveFile(inputs[k]);
        if (sources[k].usable()) commonRate = sources[k]->sampleRate();
    }
    if (!sources[0].usable()) return AudioOutcome::OutputFailed;  // we wrote it ourselves
    for (auto& source : sources) {
        source = LSPConvertRate(commonRate).apply(LSPConvChannels(1).apply(source));
    }
    LSoundSink sink = createPCMWaveFile(output, commonRate, m, kOutputBits, 0, HeaderSync::AtClose);
    std::vector<int32_t> channel(kCopyBlockFrames);
    std::vector<int32_t> frames(static_cast<size_t>(kCopyBlockFrames) * m);
    AudioOutcome outcome = sink.usable() ? AudioOutcome::Stopped : AudioOutcome::OutputFailed;
    while (outcome == AudioOutcome::Stopped && !stop()) {
        for (int c = 0; c < m; ++c) {
            sources[c].read(channel.data(), kCopyBlockFrames);
            for (int32_t i = 0; i < kCopyBlockFrames; ++i) frames[c + i * m] = channel[i];
        }
        int32_t keep = framesBeforeEnd(sources[0].get(), kCopyBlockFrames);
        if (keep >= 0) {
            if (keep > 0) sink->write(frames.data(), keep);
            outcome = AudioOutcome::Ok;
            break;
        }
        sink->write(frames.data(), kCopyBlockFrames);
        if (!sink.usable()) outcome = AudioOutcome::OutputFailed;
    }
    sources.clear();
    AudioOutcome closed = finishSink(sink, output, m);
    if (outcome == AudioOutcome::Ok) outcome = closed;
    if (outcome != AudioOutcome::Ok) std::remove(output.c_str());
    return outcome;
}

}  // namespace typix
