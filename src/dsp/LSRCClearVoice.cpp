#include "dsp/LSRCClearVoice.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>

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

// One channel's input, held to the filter's range.
TYPIX_TARGET_CLONES
void clampInto(const int32_t* __restrict in, int32_t* __restrict out) {
    for (int32_t i = 0; i < LSRCClearVoice::kChunk; ++i)
        out[i] = std::clamp(in[i], -LSRCClearVoice::kInputLimit, LSRCClearVoice::kInputLimit);
}

}  // namespace

// The line between the low band of the blocks before and after each moment,
// B frames at a time; a fixed B unrolls into vector code.
template <int B>
void LSRCClearVoice::subtractLine(const int32_t* __restrict input, const int32_t* __restrict low,
                                  int32_t* __restrict out, ChannelState& state) {
    constexpr int kShift = std::countr_zero(static_cast<unsigned>(B)) + 1;
    int32_t before2 = state.before2, before1 = state.before1;
    for (int32_t k = 0; k < kChunk / B; ++k) {
        const int32_t now = low[k];
        const int32_t early = before1 - before2, late = now - before1;
        const int32_t* delayed = input + k * B;
        int32_t* o = out + k * B;
        for (int j = 0; j < B / 2; ++j) o[j] = delayed[j] - (before2 + ((early * (2 * j + B + 1)) >> kShift));
        for (int j = B / 2; j < B; ++j) o[j] = delayed[j] - (before1 + ((late * (2 * j - B + 1)) >> kShift));
        before2 = before1;
        before1 = now;
    }
    state.before2 = before2;
    state.before1 = before1;
}

int32_t LSRCClearVoice::decimationFor(int32_t sampleRate) {
    const int32_t most = std::clamp(sampleRate / 2800, 1, 32);
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
    decimation_ = decimationFor(sampleRate());
    decimationShift_ = std::countr_zero(static_cast<uint32_t>(decimation_));
    span_ = spanFor(sampleRate());
    delay_ = span_ * decimation_;
    // The second sum reaches B span^2 kInputLimit (below 2^42); a reciprocal
    // of at most 2^20 keeps the product below 2^62.
    const int64_t divisor = int64_t{decimation_} * span_ * span_;
    shift_ = 19 + (63 - std::countl_zero(static_cast<uint64_t>(divisor)));
    reciprocal_ = ((int64_t{1} << shift_) + divisor / 2) / divisor;
    // The envelope falls by 1/2^shift per gain block: a time constant of
    // about 0.37 s.
    const double blocksPerRelease = 0.37 * sampleRate() / kGainBlock;
    releaseShift_ = std::clamp(static_cast<int>(std::lround(std::log2(blocksPerRelease))), 1, 20);
    try {
        channels_.resize(static_cast<size_t>(channels()));
        const auto blocks = static_cast<size_t>(kChunk / decimation_);
        for (ChannelState& c : channels_) {
            c.input.assign(static_cast<size_t>(delay_ + kChunk), 0);
            c.averages.assign(static_cast<size_t>(span_) + blocks, 0);
            c.firstSums.assign(static_cast<size_t>(span_) + blocks, 0);
            c.low.assign(blocks, 0);
        }
        chunk_.assign(static_cast<size_t>(kChunk) * static_cast<size_t>(channels()), 0);
        filtered_.assign(static_cast<size_t>(kChunk), 0);
    } catch (const std::bad_alloc&) {
        setError();
    }
    // The table is made here, on the building thread, not in the first read.
    (void)gainTable();
}

void LSRCClearVoice::reset() {
    for (ChannelState& c : channels_) {
        std::fill(c.input.begin(), c.input.end(), 0);
        std::fill(c.averages.begin(), c.averages.end(), 0);
        std::fill(c.firstSums.begin(), c.firstSums.end(), 0);
        c.sum1 = c.sum2 = 0;
        c.before2 = c.before1 = 0;
    }
    envelope_ = 0;
    outputPosition_ = kChunk;
}

void LSRCClearVoice::setPosition(int32_t frame) {
    LSoundProcessBase::setPosition(frame);
    if (!isError()) reset();
}

void LSRCClearVoice::read(int32_t* buffer, int32_t frames) {
    if (isError() || frames <= 0) return;
    const auto c = static_cast<size_t>(channels());
    while (frames > 0) {
        if (outputPosition_ >= kChunk) refill();
        const int32_t n = std::min(frames, kChunk - outputPosition_);
        std::memcpy(buffer, chunk_.data() + static_cast<size_t>(outputPosition_) * c,
                    sizeof(int32_t) * c * static_cast<size_t>(n));
        buffer += c * static_cast<size_t>(n);
        frames -= n;
        outputPosition_ += n;
    }
}

void LSRCClearVoice::refill() {
    inner_.read(chunk_.data(), kChunk);
    for (int ch = 0; ch < channels(); ++ch) highPass(channels_[static_cast<size_t>(ch)], ch);
    compress();
    outputPosition_ = 0;
}

// The low band of every block of the chunk: block sums, then a running sum
// of a running sum over `span` of them, normalised by one multiply.  The
// sums are exact integers, so the filter never drifts.
void LSRCClearVoice::lowBand(ChannelState& state) {
    const int32_t b = decimation_;
    const int32_t blocks = kChunk / b;
    const int32_t span = span_;
    const int32_t* input = state.input.data() + delay_;
    int64_t* averages = state.averages.data();
    int64_t* firstSums = state.firstSums.data();
    for (int32_t m = 0; m < blocks; ++m) {
        int32_t sum = 0;
        for (int32_t j = 0; j < b; ++j) sum += input[m * b + j];
        averages[span + m] = sum;
    }
    int64_t sum1 = state.sum1, sum2 = state.sum2;
    const int64_t half = int64_t{1} << (shift_ - 1);
    for (int32_t m = 0; m < blocks; ++m) {
        sum1 += averages[span + m] - averages[m];
        firstSums[span + m] = sum1;
        sum2 += sum1 - firstSums[m];
        state.low[static_cast<size_t>(m)] = static_cast<int32_t>((sum2 * reciprocal_ + half) >> shift_);
    }
    state.sum1 = sum1;
    state.sum2 = sum2;
    std::memmove(averages, averages + blocks, sizeof(int64_t) * static_cast<size_t>(span));
    std::memmove(firstSums, firstSums + blocks, sizeof(int64_t) * static_cast<size_t>(span));
}

// The low band of block k stands for the middle of block k - span + 1; the
// output of frame j of block k is the input `delay` frames back minus the low
// band drawn as a straight line between the blocks around that moment.  The
// loops run over one channel's samples laid out in a row, so they become
// vector code.
TYPIX_TARGET_CLONES
void LSRCClearVoice::highPass(ChannelState& state, int channel) {
    const auto c = static_cast<size_t>(channels());
    int32_t* input = state.input.data();
    int32_t* frames = chunk_.data() + channel;
    int32_t* fresh = input + delay_;
    if (c == 1) {
        clampInto(frames, fresh);
    } else {
        for (int32_t i = 0; i < kChunk; ++i)
            fresh[i] = std::clamp(frames[static_cast<size_t>(i) * c], -kInputLimit, kInputLimit);
    }
    lowBand(state);
    const int32_t* low = state.low.data();
    int32_t* out = filtered_.data();
    switch (decimation_) {
        case 1: subtractLine<1>(input, low, out, state); break;
        case 2: subtractLine<2>(input, low, out, state); break;
        case 4: subtractLine<4>(input, low, out, state); break;
        case 8: subtractLine<8>(input, low, out, state); break;
        case 16: subtractLine<16>(input, low, out, state); break;
        default: subtractLine<32>(input, low, out, state); break;
    }
    std::memmove(input, input + kChunk, sizeof(int32_t) * static_cast<size_t>(delay_));
    if (c == 1) {
        std::memcpy(frames, out, sizeof(int32_t) * kChunk);
    } else {
        for (int32_t i = 0; i < kChunk; ++i) frames[static_cast<size_t>(i) * c] = out[i];
    }
}

TYPIX_TARGET_CLONES
void LSRCClearVoice::compress() {
    const auto c = static_cast<size_t>(channels());
    const auto& table = gainTable();
    const size_t count = static_cast<size_t>(kGainBlock) * c;
    for (int32_t at = 0; at < kChunk; at += kGainBlock) {
        int32_t* block = chunk_.data() + static_cast<size_t>(at) * c;
        int32_t peak = 0;
        for (size_t i = 0; i < count; ++i) peak = std::max(peak, block[i] < 0 ? -block[i] : block[i]);
        // At least one unit a block, so a faint envelope still falls to 0.
        const int32_t fall = std::max(envelope_ >> releaseShift_, envelope_ > 0 ? 1 : 0);
        envelope_ = std::max(peak, envelope_ - fall);
        // The table keeps envelope x gain below 2^31, and every sample of the
        // block is within the envelope, so the product fits 32 bits.
        const int32_t gain = table[static_cast<size_t>(tableIndex(envelope_))];
        for (size_t i = 0; i < count; ++i) block[i] = (block[i] * gain + 2048) >> 12;
    }
}

LSoundSource LSPClearVoice::apply(const LSoundSource& input) const {
    if (!input.usable()) return input;
    return makeSource<LSRCClearVoice>(input);
}

}  // namespace typix
