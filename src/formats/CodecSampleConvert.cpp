// Decoded frames to interleaved 16-bit samples.  The rules match the decoder
// library's resampler so that a file decodes to the same samples here as with
// its command-line tool: floats are scaled by 32768, rounded to nearest (ties
// to even) and clipped; 32-bit integers keep their top 16 bits; unsigned
// 8-bit samples are moved to signed and scaled by 256.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "formats/CodecStream.h"

#include "formats/FfmpegLibraries.h"

namespace typix {

namespace {

int16_t clip16(long v) { return static_cast<int16_t>(v < -32768 ? -32768 : v > 32767 ? 32767 : v); }

struct FromU8 { int16_t operator()(const uint8_t* p) const { return static_cast<int16_t>((*p - 0x80) << 8); } };
struct FromS16 {
    int16_t operator()(const uint8_t* p) const { int16_t v; std::memcpy(&v, p, 2); return v; }
};
struct FromS32 {
    int16_t operator()(const uint8_t* p) const { int32_t v; std::memcpy(&v, p, 4); return static_cast<int16_t>(v >> 16); }
};
struct FromS64 {
    int16_t operator()(const uint8_t* p) const { int64_t v; std::memcpy(&v, p, 8); return static_cast<int16_t>(v >> 48); }
};
struct FromFlt {
    int16_t operator()(const uint8_t* p) const { float v; std::memcpy(&v, p, 4); return clip16(std::lrintf(v * 32768.0f)); }
};
struct FromDbl {
    int16_t operator()(const uint8_t* p) const { double v; std::memcpy(&v, p, 8); return clip16(std::lrint(v * 32768.0)); }
};

template <class From, int Size>
void interleave(const uint8_t* const* planes, bool planar, int channels, int frames, int16_t* out) {
    const From from;
    if (!planar) {
        const uint8_t* p = planes[0];
        const int64_t n = static_cast<int64_t>(frames) * channels;
        for (int64_t i = 0; i < n; ++i) out[i] = from(p + i * Size);
        return;
    }
    for (int c = 0; c < channels; ++c) {
        const uint8_t* p = planes[c];
        int16_t* o = out + c;
        for (int i = 0; i < frames; ++i, o += channels) *o = from(p + static_cast<int64_t>(i) * Size);
    }
}

}  // namespace

bool codecInterleaveS16(int format, const uint8_t* const* planes, int channels, int frames, int16_t* out) {
    const auto fmt = static_cast<AVSampleFormat>(format);
    const bool planar = ffmpeg().av_sample_fmt_is_planar(fmt) != 0;
    switch (ffmpeg().av_get_packed_sample_fmt(fmt)) {
    case AV_SAMPLE_FMT_U8: interleave<FromU8, 1>(planes, planar, channels, frames, out); return true;
    case AV_SAMPLE_FMT_S16: interleave<FromS16, 2>(planes, planar, channels, frames, out); return true;
    case AV_SAMPLE_FMT_S32: interleave<FromS32, 4>(planes, planar, channels, frames, out); return true;
    case AV_SAMPLE_FMT_S64: interleave<FromS64, 8>(planes, planar, channels, frames, out); return true;
    case AV_SAMPLE_FMT_FLT: interleave<FromFlt, 4>(planes, planar, channels, frames, out); return true;
    case AV_SAMPLE_FMT_DBL: interleave<FromDbl, 8>(planes, planar, channels, frames, out); return true;
    default: return false;
    }
}

}  // namespace typix
