// typixctl commands of the wave files and the sound graph: info and render.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "cli/CliCommand.h"
#include "dsp/LSRCClearVoice.h"
#include "dsp/LSRCConvChannels.h"
#include "dsp/LSRCConvertRate.h"
#include "dsp/LSRCSpeed.h"
#include "formats/LSNKPCMFile.h"
#include "formats/LSRCACMWave.h"
#include "formats/OpenWaveFile.h"
#include "sound/LSPMultiMix.h"

namespace typix::cli {

namespace {

constexpr int32_t kMaxBlock = 8192;

// Decodes a codec source to its end so that its length is exact, not the
// estimate from the byte rate.  Bounded: a decoder that never reports its end
// stops after twice the estimate plus a block.
void decodeToEnd(LSRCACMWave& codec) {
    std::vector<int32_t> scratch(static_cast<size_t>(kMaxBlock) * codec.channels());
    const int64_t limit = 2 * int64_t{codec.getLength()} + kMaxBlock;
    while (!codec.atEnd() && codec.getPosition() <= limit) codec.read(scratch.data(), kMaxBlock);
}

int runInfo(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: typixctl info FILE\n");
        return 2;
    }
    WaveInfo info;
    LSoundSource src = openWaveFile(argv[1], info);
    if (!src) {
        if (info.errorOffset >= 0)
            std::fprintf(stderr, "typixctl info: %s: not a usable wave file: %s (at byte %lld)\n",
                         argv[1], info.error.c_str(), static_cast<long long>(info.errorOffset));
        else
            std::fprintf(stderr, "typixctl info: %s: %s\n", argv[1], info.error.c_str());
        return 1;
    }
    auto* codec = dynamic_cast<LSRCACMWave*>(src.get());
    std::string format = "pcm";
    if (codec) {
        format = codec->codecName().empty() ? "tag" + std::to_string(info.fileFormatTag) : codec->codecName();
        if (src.usable()) decodeToEnd(*codec);
    }
    const int32_t frames = src->getLength();
    std::printf("format=%s\ntag=%u\nrate=%u\nchannels=%u\nbits=%u\nframes=%d\nduration=%.4f\n",
                format.c_str(), info.fileFormatTag, info.sampleRate, info.channels,
                info.bitsPerSample, frames, static_cast<double>(frames) / info.sampleRate);
    if (!src.usable()) {
        std::fprintf(stderr, "typixctl info: %s: no decoder for format tag %u; the file cannot be played\n",
                     argv[1], info.fileFormatTag);
        return 1;
    }
    return 0;
}

struct SpeedOption {
    double start = 1.0;
    double end = 1.0;
    int32_t ramp = 0;
};

struct RenderOptions {
    std::string in, out;
    std::optional<int> channels;
    std::optional<int32_t> rate;
    std::optional<std::vector<std::pair<int8_t, int8_t>>> mix;
    bool clearVoice = false;
    std::optional<SpeedOption> speed;
    std::optional<int32_t> seek;
    int32_t block = 4096;
    std::optional<int32_t> frames;
    int bits = 16;
};

bool parseInt(const char* text, long long low, long long high, long long& value) {
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

template <class T>
bool parseIntInto(const char* text, long long low, long long high, T& out) {
    long long value = 0;
    if (!parseInt(text, low, high, value)) return false;
    out = static_cast<T>(value);
    return true;
}

bool parseDouble(const std::string& text, double& value) {
    errno = 0;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end != text.c_str() && *end == '\0';
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + 1)
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    return parts;
}

// "L0:R0,L1:R1,...": whole decibels, -128 ... 127 each.
bool parseMix(const std::string& text, std::vector<std::pair<int8_t, int8_t>>& pairs) {
    for (const std::string& pair : split(text, ',')) {
        const auto sides = split(pair, ':');
        int8_t left = 0, right = 0;
        if (sides.size() != 2 || !parseIntInto(sides[0].c_str(), -128, 127, left) ||
            !parseIntInto(sides[1].c_str(), -128, 127, right))
            return false;
        pairs.emplace_back(left, right);
    }
    return pairs.size() <= 255;
}

// "START[,END,RAMP]": ratios as decimals, RAMP in 1/10000 s.
bool parseSpeed(const std::string& text, SpeedOption& speed) {
    const auto parts = split(text, ',');
    if (parts.size() != 1 && parts.size() != 3) return false;
    if (!parseDouble(parts[0], speed.start)) return false;
    if (parts.size() == 1) return true;
    return parseDouble(parts[1], speed.end) &&
           parseIntInto(parts[2].c_str(), 0, INT32_MAX, speed.ramp);
}

bool parseOption(const std::string& name, const char* value, RenderOptions& o) {
    if (name == "--channels") return parseIntInto(value, 1, 255, o.channels.emplace());
    if (name == "--rate") return parseIntInto(value, 1, 192000, o.rate.emplace());
    if (name == "--mix") return parseMix(value, o.mix.emplace());
    if (name == "--speed") return parseSpeed(value, o.speed.emplace());
    if (name == "--seek") return parseIntInto(value, INT32_MIN, INT32_MAX, o.seek.emplace());
    if (name == "--block") return parseIntInto(value, 1, kMaxBlock, o.block);
    if (name == "--frames") return parseIntInto(value, 0, INT32_MAX, o.frames.emplace());
    if (name == "--bits") {
        return parseIntInto(value, 8, 32, o.bits) && (o.bits == 8 || o.bits == 16 || o.bits == 32);
    }
    return false;
}

// Every option but --clear-voice takes the next argument as its value, so
// values may begin with a minus sign.  Returns false after saying why on
// stderr.
bool parseRender(int argc, char** argv, RenderOptions& o) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--clear-voice") {
            o.clearVoice = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "typixctl render: %s needs a value\n", arg.c_str());
            return false;
        }
        if (!parseOption(arg, argv[++i], o)) {
            std::fprintf(stderr, "typixctl render: bad option %s %s\n", arg.c_str(), argv[i]);
            return false;
        }
    }
    if (positional.size() != 2) {
        std::fprintf(stderr, "usage: typixctl render IN OUT [options] (see typixctl --help)\n");
        return false;
    }
    if (o.speed && !o.frames) {
        std::fprintf(stderr, "typixctl render: --speed needs --frames (a speed chain has no end)\n");
        return false;
    }
    o.in = positional[0];
    o.out = positional[1];
    return true;
}

LSoundSource buildChain(LSoundSource src, const RenderOptions& o) {
    if (o.channels) src = LSPConvChannels(static_cast<uint16_t>(*o.channels)).apply(src);
    if (o.rate) src = LSPConvertRate(*o.rate).apply(src);
    if (o.mix) {
        std::vector<int8_t> left, right;
        for (const auto& [l, r] : *o.mix) {
            left.push_back(l);
            right.push_back(r);
        }
        src = LSPMultiMix(LGainList(left), LGainList(right)).apply(src);
    }
    if (o.speed) src = LSPSpeed(o.speed->start, o.speed->end, o.speed->ramp).apply(src);
    // Last, where the program puts it.
    if (o.clearVoice) src = LSPClearVoice().apply(src);
    return src;
}

// Pulls blocks from `src` into `sink`: `frames` frames when given, otherwise
// until the position reaches the length, the last block cut at the end.  Stops
// at the first failed write: the rest could not be stored either.
int64_t pump(LSoundSource& src, LSNKPCMFileBase& sink, const RenderOptions& o) {
    std::vector<int32_t> buffer(static_cast<size_t>(o.block) * src->channels());
    int64_t written = 0;
    while (!sink.failed()) {
        int32_t n = o.block;
        if (o.frames) {
            n = static_cast<int32_t>(std::min<int64_t>(n, *o.frames - written));
        } else {
            const int64_t left = int64_t{src->getLength()} - src->getPosition();
            n = static_cast<int32_t>(std::min<int64_t>(n, left));
        }
        if (n <= 0) break;
        src.read(buffer.data(), n);
        sink.write(buffer.data(), n);
        written += n;
    }
    return written;
}

// True when both paths name one existing file: writing it would destroy the
// input before it is read.
bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// An output that could not be written whole is removed, so that no shorter
// file passes for the render; a device or other special file stays.
bool removeIncomplete(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0;
}

// The output is not flushed to disk: it is made again from the input, which
// stays, and a durable write would make the render wait for the disk (a copy
// of a file does not wait either).  Every write is still checked, so a full
// disk ends the render with status 1.
int runRender(int argc, char** argv) {
    RenderOptions o;
    if (!parseRender(argc, argv, o)) return 2;
    if (sameFile(o.in, o.out)) {
        std::fprintf(stderr, "typixctl render: %s is the input file; name another output\n", o.out.c_str());
        return 2;
    }
    WaveInfo info;
    LSoundSource src = openWaveFile(o.in, info);
    if (!src.usable()) {
        std::fprintf(stderr, "typixctl render: %s: %s\n", o.in.c_str(),
                     src ? "cannot be decoded (no decoder for its format)" : info.error.c_str());
        return 1;
    }
    src = buildChain(src, o);
    if (!src.usable()) {
        std::fprintf(stderr, "typixctl render: the chain could not be built from these options\n");
        return 1;
    }
    if (o.seek) src->setPosition(*o.seek);
    LSoundSink sink = createPCMWaveFile(o.out, src->sampleRate(), src->channels(), o.bits, 0,
                                         HeaderSync::Never);
    auto* file = dynamic_cast<LSNKPCMFileBase*>(sink.get());
    if (!sink.usable() || !file) {
        std::fprintf(stderr, "typixctl render: %s: cannot create: %s\n", o.out.c_str(), std::strerror(errno));
        return 1;
    }
    const int64_t written = pump(src, *file, o);
    if (!file->finish()) {
        const bool removed = removeIncomplete(o.out);
        std::fprintf(stderr, "typixctl render: %s: writing failed: %s; %s\n", o.out.c_str(),
                     std::strerror(file->failureErrno()),
                     removed ? "the incomplete output was removed" : "the output is incomplete");
        return 1;
    }
    std::printf("frames=%lld\nrate=%d\nchannels=%d\n", static_cast<long long>(written),
                src->sampleRate(), src->channels());
    return 0;
}

const CliRegistrar info({"info",
                         "  info FILE                what a wave file holds: format, tag, rate,\n"
                         "                           channels, bits, frames, duration",
                         runInfo});
const CliRegistrar render(
    {"render",
     "  render IN OUT [options]  runs IN through a chain and writes a PCM wave:\n"
     "                           --channels C, --rate HZ, --mix L0:R0,L1:R1,... (dB),\n"
     "                           --speed START[,END,RAMP] (RAMP in 1/10000 s; needs --frames),\n"
     "                           --clear-voice (last, after the speed change),\n"
     "                           --seek FRAMES, --block N (default 4096, at most 8192),\n"
     "                           --frames N, --bits 8|16|32 (default 16);\n"
     "                           status 1 when OUT cannot be written whole (then removed)",
     runRender});

}  // namespace

}  // namespace typix::cli
