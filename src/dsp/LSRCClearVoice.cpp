#include "dsp/LSRCClearVoice.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#include "dsp/TargetClones.h"

namespace typix {

namespace {

// 16-bit full scale on the internal scale, and the largest value that still
// writes back as a 16-bit sample without saturating.
constexpr double kFullScale = 524288.0;
constexpr int32_t kOutputLimit = 524272;

// The compressor's curve, in dB against full scale.
constexpr double kTargetDb = -9.0;     // the level everything is pulled toward
constexpr double kRatio = 4.0;
constexpr double kMaxLiftDb = 18.0;
constexpr double kQuietDb = -55.0;     // below this the lift falls off 1:1
constexpr int kStepsPerOctave = 16;
constexpr int kTableSize = 32 * kStepsPerOctave;

double curveGainDb(double levelDb) {
    double gain = std::min((kTargetDb - levelDb) * (1.0 - 1.0 / kRatio), kMaxLiftDb);
    if (levelDb < kQuietDb) gain = std::max(0.0, kMaxLiftDb - (kQuietDb - levelDb));
    return gain;
}

// Sixteen steps per octave: the envelope's top bit and the four bits below it.
int tableIndex(int32_t envelope) {
    const uint32_t e = static_cast<uint32_t>(std::max(envelope, 1));
    const int top = 31 - std::countl_zero(e);
    const int fraction = static_cast<int>((uint64_t{e} << 4 >> top) & 15);
    return top * kStepsPerOctave + fraction;
}

// Each entry is the gain at its step's upper bound, and never more than
// brings that bound to full scale: every envelope within the step then comes
// out at or below full scale.
std::array<int32_t, kTableSize> makeGainTable() {
    std::array<int32_t, kTableSize> table{};
    for (int i = 0; i < kTableSize; ++i) {
        const int top = i / kStepsPerOctave;
        const int fraction = i % kStepsPerOctave;
        const double upper = std::ldexp(17.0 + fraction, top - 4);
        const double curve = std::pow(10.0, curveGainDb(20.0 * std::log10(upper / kFullScale)) / 20.0);
        const double gain = std::min(curve, kOutputLimit / upper);
        table[static_cast<size_t>(i)] = static_cast<int32_t>(std::floor(gain * 4096.0));
    }
    return table;
}

const std::array<int32_t, kTableSize>& gainTable() {
    static const std::array<int32_t, kTableSize> table = makeGainTable();
    return table;
}

}  // namespace

// One channel's filter: the input history the output is delayed by, the
// running sum of running sums back 2 span blocks, and for the current chunk
// its block sums, their low band and that low band drawn back at the full
// rate.
struct ClearVoiceChannel {
    std::vector<int32_t> input;      // delay frames of history, then the chunk
    std::vector<int32_t> sums;       // the chunk's block sums
    std::vector<uint64_t> running;   // the running sum of running sums, 2 span blocks back
    std::vector<int32_t> lows;       // the low band of each block of the chunk, two before
    std::vector<int32_t> line;       // the low band of frame f at f + B/2
    uint64_t first = 0;   // the running sum of the block sums, modulo 2^64
    uint64_t second = 0;  // the running sum of that
    int32_t before2 = 0, before1 = 0;  // the low band of the two blocks before
};

struct ClearVoiceState {
    int channels = 1;
    int32_t decimation = 1;
    int32_t span = 3;
    int32_t delay = 3;       // frames: span * decimation
    uint64_t reciprocal = 0;  // 2^shift / (decimation * span^2)
    int shift = 0;
    int releaseShift = 0;    // per gain block
    int32_t envelope = 0;
    std::vector<ClearVoiceChannel> filters;
    std::vector<int32_t> high;  // one gain block of high-passed frames, by channel
    void (*filter)(ClearVoiceState&, int32_t*, int32_t) = nullptr;
};

namespace {

using State = ClearVoiceState;
using I32x8 = int32_t __attribute__((vector_size(32)));
using I32x4 = int32_t __attribute__((vector_size(16)));
using U64x4 = uint64_t __attribute__((vector_size(32)));
constexpr int32_t kGainBlock = LSRCClearVoice::kGainBlock;
constexpr int32_t kInputLimit = LSRCClearVoice::kInputLimit;

// The straight lines: frame r of the segment from a to b is
// a + (b - a) (2 r + 1) / 2B.  Eight frames at a time (one AVX2 register):
// for B up to 8 the 8 / B segments under them are spread from one vector of
// block values, for longer segments each takes B / 8 vectors.  Reads lows up
// to 9 values further than the segments used, and writes `frames` rounded up
// to 8.
template <int B, size_t... I>
[[gnu::always_inline]] inline void drawLine(const int32_t* __restrict lows, int32_t* __restrict line,
                                            int32_t frames, std::index_sequence<I...>) {
    constexpr int kShift = std::countr_zero(static_cast<unsigned>(B)) + 1;
    if constexpr (B <= 8) {
        const I32x8 odds = {static_cast<int32_t>(2 * (I % B) + 1)...};
        for (int32_t i = 0; i < frames; i += 8) {
            I32x8 v;
            std::memcpy(&v, lows + i / B, sizeof v);
            const I32x8 a = __builtin_shufflevector(v, v, static_cast<int>(I / B)...);
            const I32x8 b = __builtin_shufflevector(v, v, static_cast<int>(I / B + 1)...);
            const I32x8 out = a + (((b - a) * odds) >> kShift);
            std::memcpy(line + i, &out, sizeof out);
        }
    } else {
        const I32x8 odds = {static_cast<int32_t>(2 * I + 1)...};
        for (int32_t q = 0; q * B < frames; ++q) {
            const int32_t a = lows[q];
            const int32_t d = lows[q + 1] - a;
            for (int j = 0; j < B; j += 8) {
                const I32x8 out = a + ((d * (odds + 2 * j)) >> kShift);
                std::memcpy(line + q * B + j, &out, sizeof out);
            }
        }
    }
}

// The low band of one channel for the `n` frames read, which holdInput has
// already put into the channel's input history.  Their block sums go through
// a moving sum over `span` of them, and that through a second one; the result
// is normalised by one multiply (exact integers, so the filter never drifts).
// The two moving sums come from a running sum of a running sum, Q: the second
// moving sum at block m is Q[m] - 2 Q[m - span] + Q[m - 2 span].  Q grows
// without bound, so it is kept modulo 2^64 (unsigned), and the difference,
// far below 2^63, comes out exact.  With B fixed every step is vector code.
// The low band of block k stands for the middle of block k - span + 1, and
// between those middles it is drawn as a straight line: the segment from
// block value a to b fills B frames.
template <int B>
[[gnu::always_inline]] inline void lowBand(State& s, ClearVoiceChannel& f, int32_t n) {
    const int32_t blocks = n / B;
    const int32_t* __restrict fresh = f.input.data() + s.delay;

    const int32_t* __restrict sums = fresh;
    if constexpr (B > 1) {
        int32_t* __restrict blockSums = f.sums.data();
        for (int32_t m = 0; m < blocks; ++m) {
            int32_t sum = 0;
            for (int j = 0; j < B; ++j) sum += fresh[m * B + j];
            blockSums[m] = sum;
        }
        sums = blockSums;
    }

    const int32_t span = s.span;
    uint64_t* __restrict running = f.running.data();  // 2 span blocks of history, then this read's
    uint64_t first = f.first, second = f.second;
    int32_t m = 0;
    if (blocks >= 4) {
        // Four blocks at a time (one AVX2 register).  Within the vector the
        // first sum is a running sum in two steps (prefix) plus `before1`,
        // what came before; the second is the prefix of that plus before2.
        // The sums carried to the next vector take one add each, so the chain
        // from vector to vector is short.
        const U64x4 zero{};
        U64x4 before1 = zero + first, before2 = zero + second;
        for (; m + 4 <= blocks; m += 4) {
            I32x4 in;
            std::memcpy(&in, sums + m, sizeof in);
            U64x4 once = __builtin_convertvector(in, U64x4);
            once += __builtin_shufflevector(once, zero, 4, 0, 1, 2);
            once += __builtin_shufflevector(once, zero, 4, 4, 0, 1);
            U64x4 twice = once + before1;
            twice += __builtin_shufflevector(twice, zero, 4, 0, 1, 2);
            twice += __builtin_shufflevector(twice, zero, 4, 4, 0, 1);
            const U64x4 out = twice + before2;
            std::memcpy(running + 2 * span + m, &out, sizeof out);
            before2 += __builtin_shufflevector(twice, twice, 3, 3, 3, 3);
            before1 += __builtin_shufflevector(once, once, 3, 3, 3, 3);
        }
        first = before1[0];
        second = before2[0];
    }
    for (; m < blocks; ++m) {
        first += static_cast<uint64_t>(int64_t{sums[m]});
        second += first;
        running[2 * span + m] = second;
    }
    f.first = first;
    f.second = second;

    // lows[k] is the low band of block k - 2 of this read (the two before it
    // come first).  The shift is taken on the value offset by 2^63, which
    // makes the unsigned shift an arithmetic one.
    int32_t* __restrict lows = f.lows.data();
    const uint64_t reciprocal = s.reciprocal;
    const int shift = s.shift;
    const uint64_t offset = (uint64_t{1} << 63) + (uint64_t{1} << (shift - 1));
    const uint64_t bias = uint64_t{1} << (63 - shift);
    lows[0] = f.before2;
    lows[1] = f.before1;
    for (m = 0; m < blocks; ++m) {
        const uint64_t sum2 = running[2 * span + m] - 2 * running[span + m] + running[m];
        lows[m + 2] = static_cast<int32_t>(((sum2 * reciprocal + offset) >> shift) - bias);
    }
    f.before2 = lows[blocks];
    f.before1 = lows[blocks + 1];
    std::memmove(running, running + blocks, sizeof(uint64_t) * 2 * static_cast<size_t>(span));

    // The straight lines: the segment from lows[q] to lows[q + 1] fills the B
    // frames from q B.
    int32_t* __restrict line = f.line.data();
    if constexpr (B == 1) {
        std::memcpy(line, lows + 1, sizeof(int32_t) * static_cast<size_t>(blocks + 1));
    } else {
        drawLine<B>(lows, line, (blocks + 1) * B, std::make_index_sequence<8>());
    }
}

// The `n` frames read, each channel held to the filter's range, into the
// channels' input histories.
template <int C>
[[gnu::always_inline]] inline void holdInput(State& s, const int32_t* frames, int32_t n) {
    const auto hold = [](int32_t v) { return std::clamp(v, -kInputLimit, kInputLimit); };
    if constexpr (C == 2) {
        int32_t* __restrict left = s.filters[0].input.data() + s.delay;
        int32_t* __restrict right = s.filters[1].input.data() + s.delay;
        for (int32_t i = 0; i < n; ++i) {
            left[i] = hold(frames[2 * i]);
            right[i] = hold(frames[2 * i + 1]);
        }
    } else {
        const int channels = C ? C : s.channels;
        for (int ch = 0; ch < channels; ++ch) {
            int32_t* __restrict fresh = s.filters[static_cast<size_t>(ch)].input.data() + s.delay;
            const int32_t* in = frames + ch;
            for (int32_t i = 0; i < n; ++i) fresh[i] = hold(in[static_cast<size_t>(i) * static_cast<size_t>(channels)]);
        }
    }
}

// The compressor's step for one gain block whose louder channel peaks at
// `peak`: the envelope follows at once upward and falls by 1/2^releaseShift
// (at least one unit, so a faint envelope still reaches 0); the gain comes
// from the table.  The table keeps envelope x gain below 2^31, and every
// sample of the block is within the envelope, so each product fits 32 bits.
[[gnu::always_inline]] inline int32_t nextGain(State& s, int32_t peak) {
    const int32_t envelope = s.envelope;
    const int32_t fall = std::max(envelope >> s.releaseShift, envelope > 0 ? 1 : 0);
    s.envelope = std::max(peak, envelope - fall);
    return LSRCClearVoice::gainFor(s.envelope);
}

[[gnu::always_inline]] inline int32_t scaled(int32_t sample, int32_t gain) {
    return (sample * gain + 2048) >> 12;
}

// `n` frames (whole gain blocks, at most kChunk), in place: the low band of
// every channel, then gain block by
// gain block the delayed input minus its low band, the block's peak over all
// channels, and every sample times the one gain.
template <int B, int C>
[[gnu::always_inline]] inline void filterFrames(State& s, int32_t* frames, int32_t n) {
    const int channels = C ? C : s.channels;
    holdInput<C>(s, frames, n);
    for (int ch = 0; ch < channels; ++ch) lowBand<B>(s, s.filters[static_cast<size_t>(ch)], n);

    const auto highPassed = [&s](int ch, int32_t at, int32_t* __restrict out) {
        const ClearVoiceChannel& f = s.filters[static_cast<size_t>(ch)];
        const int32_t* __restrict delayed = f.input.data() + at;
        const int32_t* __restrict line = f.line.data() + at + B / 2;
        int32_t peak = 0;
        for (int i = 0; i < kGainBlock; ++i) {
            out[i] = delayed[i] - line[i];
            peak = std::max(peak, out[i] < 0 ? -out[i] : out[i]);
        }
        return peak;
    };
    for (int32_t at = 0; at < n; at += kGainBlock) {
        int32_t* __restrict block = frames + static_cast<size_t>(at) * static_cast<size_t>(channels);
        if constexpr (C == 1) {
            int32_t high[kGainBlock];
            const int32_t gain = nextGain(s, highPassed(0, at, high));
            for (int i = 0; i < kGainBlock; ++i) block[i] = scaled(high[i], gain);
        } else if constexpr (C == 2) {
            int32_t left[kGainBlock], right[kGainBlock];
            const int32_t peak = std::max(highPassed(0, at, left), highPassed(1, at, right));
            const int32_t gain = nextGain(s, peak);
            for (int i = 0; i < kGainBlock; ++i) {
                block[2 * i] = scaled(left[i], gain);
                block[2 * i + 1] = scaled(right[i], gain);
            }
        } else {
            int32_t* high = s.high.data();
            int32_t peak = 0;
            for (int ch = 0; ch < channels; ++ch) peak = std::max(peak, highPassed(ch, at, high + ch * kGainBlock));
            const int32_t gain = nextGain(s, peak);
            for (int i = 0; i < kGainBlock; ++i)
                for (int ch = 0; ch < channels; ++ch)
                    block[i * channels + ch] = scaled(high[ch * kGainBlock + i], gain);
        }
    }
    for (ClearVoiceChannel& f : s.filters)
        std::memmove(f.input.data(), f.input.data() + n, sizeof(int32_t) * static_cast<size_t>(s.delay));
}

// Each combination of lower rate and channel count is its own loop, built for
// AVX-512, for AVX2 and for the baseline.
#define TYPIX_CLEAR_VOICE_KERNEL(B, C) \
    TYPIX_TARGET_CLONES void filter_##B##_##C(State& s, int32_t* frames, int32_t n) { filterFrames<B, C>(s, frames, n); }
#define TYPIX_CLEAR_VOICE_KERNELS(B) \
    TYPIX_CLEAR_VOICE_KERNEL(B, 1) TYPIX_CLEAR_VOICE_KERNEL(B, 2) TYPIX_CLEAR_VOICE_KERNEL(B, 0)
TYPIX_CLEAR_VOICE_KERNELS(1)
TYPIX_CLEAR_VOICE_KERNELS(2)
TYPIX_CLEAR_VOICE_KERNELS(4)
TYPIX_CLEAR_VOICE_KERNELS(8)
TYPIX_CLEAR_VOICE_KERNELS(16)
TYPIX_CLEAR_VOICE_KERNELS(32)
#undef TYPIX_CLEAR_VOICE_KERNELS
#undef TYPIX_CLEAR_VOICE_KERNEL

using Kernel = void (*)(State&, int32_t*, int32_t);

Kernel kernelFor(int32_t decimation, int channels) {
    const int c = channels == 1 ? 0 : channels == 2 ? 1 : 2;
    static constexpr Kernel kKernels[6][3] = {
        {filter_1_1, filter_1_2, filter_1_0},
        {filter_2_1, filter_2_2, filter_2_0},
        {filter_4_1, filter_4_2, filter_4_0},
        {filter_8_1, filter_8_2, filter_8_0},
        {filter_16_1, filter_16_2, filter_16_0},
        {filter_32_1, filter_32_2, filter_32_0},
    };
    return kKernels[std::countr_zero(static_cast<uint32_t>(decimation))][c];
}

}  // namespace

int32_t LSRCClearVoice::decimationFor(int32_t sampleRate) {
    const int32_t most = std::clamp(sampleRate / 2000, 1, 32);
    return int32_t{1} << (31 - std::countl_zero(static_cast<uint32_t>(most)));
}

// The odd span nearest to rate / (350 B).
int32_t LSRCClearVoice::spanFor(int32_t sampleRate) {
    const double blocks = double(sampleRate) / (350.0 * decimationFor(sampleRate));
    const auto span = static_cast<int32_t>(2 * std::lround((blocks - 1) / 2) + 1);
    return std::clamp(span, 3, 255);
}

int32_t LSRCClearVoice::gainFor(int32_t envelope) {
    return gainTable()[static_cast<size_t>(tableIndex(envelope))];
}

LSRCClearVoice::LSRCClearVoice(LSoundSource inner) : LSoundProcessBase(std::move(inner)) {
    if (isError()) return;
    try {
        auto s = std::make_unique<ClearVoiceState>();
        s->channels = channels();
        s->decimation = decimationFor(sampleRate());
        s->span = spanFor(sampleRate());
        s->delay = s->span * s->decimation;
        // The second sum reaches B span^2 kInputLimit (below 2^42); a
        // reciprocal of at most 2^20 keeps the product below 2^62.
        const int64_t divisor = int64_t{s->decimation} * s->span * s->span;
        s->shift = 19 + (63 - std::countl_zero(static_cast<uint64_t>(divisor)));
        s->reciprocal = static_cast<uint64_t>(((int64_t{1} << s->shift) + divisor / 2) / divisor);
        // The envelope falls by 1/2^shift per gain block: a time constant of
        // about 0.37 s.
        const double blocksPerRelease = 0.37 * sampleRate() / kGainBlock;
        s->releaseShift = std::clamp(static_cast<int>(std::lround(std::log2(blocksPerRelease))), 1, 20);
        s->filters.resize(static_cast<size_t>(s->channels));
        const auto blocks = static_cast<size_t>(kChunk / s->decimation);
        for (ClearVoiceChannel& f : s->filters) {
            f.input.assign(static_cast<size_t>(s->delay + kChunk), 0);
            f.sums.assign(blocks, 0);
            f.running.assign(2 * static_cast<size_t>(s->span) + blocks, 0);
            // Room for the line drawn eight frames at a time.
            f.lows.assign(blocks + 2 + 9, 0);
            f.line.assign(static_cast<size_t>(kChunk + 32), 0);
        }
        s->high.assign(static_cast<size_t>(kGainBlock) * static_cast<size_t>(s->channels), 0);
        s->filter = kernelFor(s->decimation, s->channels);
        chunk_.assign(static_cast<size_t>(kChunk) * static_cast<size_t>(s->channels), 0);
        state_ = std::move(s);
    } catch (const std::bad_alloc&) {
        setError();
    }
    // The table is made here, on the building thread, not in the first read.
    (void)gainTable();
}

LSRCClearVoice::~LSRCClearVoice() = default;

void LSRCClearVoice::reset() {
    for (ClearVoiceChannel& f : state_->filters) {
        std::fill(f.input.begin(), f.input.end(), 0);
        std::fill(f.running.begin(), f.running.end(), 0);
        f.first = f.second = 0;
        f.before2 = f.before1 = 0;
    }
    state_->envelope = 0;
    pending_ = 0;
}

void LSRCClearVoice::setPosition(int32_t frame) {
    LSoundProcessBase::setPosition(frame);
    if (!isError() && state_) reset();
}

int32_t LSRCClearVoice::getPosition() { return LSoundProcessBase::getPosition() - pending_; }

void LSRCClearVoice::refill(int32_t* frames, int32_t n) {
    inner_.read(frames, n);
    state_->filter(*state_, frames, n);
}

// Reads of whole gain blocks are filtered in the caller's buffer, longer ones
// kChunk frames at a time.  A read that ends inside a gain block is filtered
// whole, rounded up to the gain block, in chunk_ (one filter pass, not one
// for the whole blocks and another for the last piece), and the rest of it
// kept for the next read.  The inner source is never a gain block or more
// ahead, and the output is the same however the stage is read.
void LSRCClearVoice::read(int32_t* buffer, int32_t frames) {
    if (isError() || !state_ || frames <= 0) return;
    const auto c = static_cast<size_t>(channels());
    while (frames > 0) {
        int32_t n = 0;
        if (pending_ > 0) {
            n = std::min(frames, pending_);
            std::memcpy(buffer, chunk_.data() + static_cast<size_t>(filled_ - pending_) * c,
                        sizeof(int32_t) * c * static_cast<size_t>(n));
            pending_ -= n;
        } else if (frames > kChunk || frames % kGainBlock == 0) {
            n = std::min(frames, kChunk);
            refill(buffer, n);
        } else {
            filled_ = pending_ = (frames + kGainBlock - 1) / kGainBlock * kGainBlock;
            refill(chunk_.data(), filled_);
            continue;
        }
        buffer += c * static_cast<size_t>(n);
        frames -= n;
    }
}

LSoundSource LSPClearVoice::apply(const LSoundSource& input) const {
    if (!input.usable()) return input;
    return makeSource<LSRCClearVoice>(input);
}

}  // namespace typix
