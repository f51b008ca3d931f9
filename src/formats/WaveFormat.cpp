#include "formats/WaveFormat.h"

#include <algorithm>
#include <cstring>

namespace typix {
namespace {

uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t get32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

void put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

bool fail(WaveInfo& info, std::string what, int64_t offset) {
    info.error = std::move(what);
    info.errorOffset = offset;
    return false;
}

// Reads exactly `bytes` bytes; false on a short read.
bool readExactly(LFile& file, void* buffer, size_t bytes) {
    return file.read(buffer, bytes) == static_cast<ssize_t>(bytes);
}

// Step 2: pass over RIFF forms of other types until a "RIFF"/"WAVE" form.
bool findWaveForm(LFile& file, WaveInfo& info) {
    for (;;) {
        const int64_t at = file.tell();
        uint8_t head[12];
        if (!readExactly(file, head, sizeof head))
            return fail(info, at == 0 ? "file too short for a RIFF header"
                                      : "no RIFF/WAVE form before the end of the file", at);
        if (std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0) return true;
        const uint32_t size = (get32(head + 4) + 1) >> 1 << 1;
        if (size <= 4) return fail(info, "no RIFF/WAVE form (bad form size)", at);
        file.seek(size - 4, SEEK_CUR);
    }
}

// Steps 3 and 5: skip chunks until one with `id`; returns its size.
bool findChunk(LFile& file, const char* id, uint32_t& size, WaveInfo& info) {
    for (;;) {
        const int64_t at = file.tell();
        uint8_t head[8];
        if (!readExactly(file, head, sizeof head))
            return fail(info, std::string("no \"") + id + "\" chunk before the end of the file", at);
        size = get32(head + 4);
        if (std::memcmp(head, id, 4) == 0) return true;
        const int32_t skip = static_cast<int32_t>((size + 1) >> 1 << 1);
        if (skip <= 0) return fail(info, "chunk size rounds to 0 or less", at);
        file.seek(skip, SEEK_CUR);
    }
}

// The extensible format's sub-format GUID: its first two bytes are the tag,
// the rest is the fixed suffix of the standard audio sub-formats.
constexpr uint8_t kSubFormatSuffix[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                          0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

void parseFormat(WaveInfo& info) {
    const uint8_t* f = info.format.data();
    info.fileFormatTag = info.formatTag = get16(f);
    info.channels = get16(f + 2);
    info.sampleRate = get32(f + 4);
    info.byteRate = get32(f + 8);
    info.blockAlign = get16(f + 12);
    if (info.format.size() >= 16) {
        info.bitsPerSample = get16(f + 14);
    } else if (info.channels != 0) {
        // The oldest format header ends before the bits field: derive it.
        info.bitsPerSample = static_cast<uint16_t>(info.blockAlign / info.channels * 8);
    }
    if (info.formatTag == kWaveFormatExtensible && info.format.size() >= 40 &&
        std::memcmp(f + 26, kSubFormatSuffix, sizeof kSubFormatSuffix) == 0 &&
        get16(f + 24) == kWaveFormatPcm) {
        info.formatTag = kWaveFormatPcm;
    }
}

}  // namespace

bool readWaveHeader(LFile& file, WaveInfo& info) {
    info = WaveInfo{};
    file.seek(0, SEEK_SET);
    if (!findWaveForm(file, info)) return false;
    uint32_t size = 0;
    if (!findChunk(file, "fmt ", size, info)) return false;
    const int64_t formatAt = file.tell();
    if (size < kMinFormatBytes || size > kMaxFormatBytes)
        return fail(info, "format chunk of " + std::to_string(size) + " bytes (14 ... 8192 allowed)",
                    formatAt - 4);
    info.format.resize(size);
    if (!readExactly(file, info.format.data(), size))
        return fail(info, "format chunk cut short", formatAt);
    if (!findChunk(file, "data", info.dataBytes, info)) return false;
    info.dataStart = file.tell();
    parseFormat(info);
    if (info.channels < 1 || info.channels > 255)
        return fail(info, "channels " + std::to_string(info.channels) + " (1 ... 255 allowed)",
                    formatAt + 2);
    if (info.sampleRate < 1 || info.sampleRate > kMaxWaveRate)
        return fail(info, "sample rate " + std::to_string(info.sampleRate) + " (1 ... 192000 allowed)",
                    formatAt + 4);
    return true;
}

std::array<uint8_t, kPcmHeaderBytes> makePcmWaveHeader(int channels, int32_t sampleRate,
                                                       int bytesPerSample, int32_t frames) {
    const uint64_t maxData = UINT32_MAX - 38;
    const uint64_t wanted = uint64_t(std::max(channels, 0)) * uint64_t(std::max(frames, 0)) *
                            uint64_t(std::max(bytesPerSample, 0));
    const uint32_t data = static_cast<uint32_t>(std::min(wanted, maxData));
    const uint32_t blockAlign = static_cast<uint32_t>(channels * bytesPerSample);
    std::array<uint8_t, kPcmHeaderBytes> h{};
    std::memcpy(&h[0], "RIFF", 4);
    put32(&h[4], data + 38);
    std::memcpy(&h[8], "WAVEfmt ", 8);
    put32(&h[16], 18);
    put16(&h[20], kWaveFormatPcm);
    put16(&h[22], static_cast<uint32_t>(channels));
    put32(&h[24], static_cast<uint32_t>(sampleRate));
    put32(&h[28], static_cast<uint32_t>(sampleRate) * blockAlign);
    put16(&h[32], blockAlign);
    put16(&h[34], static_cast<uint32_t>(bytesPerSample * 8));
    put16(&h[36], 0);
    std::memcpy(&h[38], "data", 4);
    put32(&h[42], data);
    return h;
}

}  // namespace typix
