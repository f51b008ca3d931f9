#include "dsp/LSRCConvertRate.h"
#include "dsp/TargetClones.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "dsp/RateKernels.h"

namespace typix {

namespace {

// Extra frames after the history so that the vector loops may read a 64th
// tap (its coefficient is zero).
constexpr int32_t kHistoryPadFrames = 1;
constexpr int32_t kPlaneStride = LSRCConvertRate::kHistoryFrames + 16;

struct Extremes {
    int32_t hi = 0;  // largest sample, at least 0
    int32_t lo = 0;  // smallest sample, at most 0
    int64_t peak() const { return std::max<int64_t>(hi, -static_cast<int64_t>(lo)); }
};

// These two passes run over every input sample; AVX2 has the 32-bit min, max
// and shifts that the baseline instruction set lacks.
TYPIX_TARGET_CLONES
Extremes extremesOf(const int32_t* samples, size_t count) {
    // Plain locals: with the struct's fields as the running values the
    // compiler keeps them in memory order and does not vectorise the loop.
    int32_t hi = 0;
    int32_t lo = 0;
    for (size_t i = 0; i < count; ++i) {
        hi = std::max(hi, samples[i]);
        lo = std::min(lo, samples[i]);
    }
    Extremes e;
    e.hi = hi;
    e.lo = lo;
    return e;
}

// The smallest s >= 0 with (peak >> s) <= 0x7FFF.
int shiftFor(int64_t peak) {
    int s = 0;
    while ((peak >> s) > 0x7FFF) ++s;
    return s;
}

int64_t shiftedRounded(int64_t x, int s) { return (x + ((int64_t{1} << s) >> 1)) >> s; }

TYPIX_TARGET_CLONES
void shiftRight(int32_t* samples, size_t count, int s, const Extremes& e) {
    if (s == 0) return;
    const int32_t half = (1 << s) >> 1;
    if (e.hi <= INT32_MAX - half) {
        // No sum can overflow: the plain 32-bit loop, which vectorises.
        for (size_t i = 0; i < count; ++i) samples[i] = (samples[i] + half) >> s;
        return;
    }
    for (size_t i = 0; i < count; ++i) samples[i] = static_cast<int32_t>(shiftedRounded(samples[i], s));
}

}  // namespace

LSRCConvertRate::LSRCConvertRate(LSoundSource inner, int32_t targetRate)
    : LSoundProcessBase(std::move(inner)) {
    const int32_t inRate = sampleRate();
    const int32_t peak = peakLevel() <= (1 << 20) ? peakLevel() * 2 : peakLevel();
    setFormat(targetRate, peak, channels());
    if (isError()) return;
    fraction_ = chooseRateFraction(inRate, targetRate);
    if (fraction_.p < 1) {
        // Raising the rate more than 510 times (no step of whole 1/255
        // frames) or lowering it beyond kRateMaxStep.
        setError();
        return;
    }
    shape_ = rateFilterShape(inRate, targetRate);
    table_ = buildRateFilterTable(fraction_.q, shape_);
    if (!allocate()) {
        setError();
        return;
    }
    fillInitialHistory();
}

bool LSRCConvertRate::allocate() {
    const int c = channels();
    const bool vectorLayout = c <= 2;
    const int width = c == 2 ? 128 : 64;
    try {
        history_.assign(static_cast<size_t>(kHistoryFrames + kHistoryPadFrames) * c, 0);
        if (vectorLayout) {
            kernelTable_.assign(static_cast<size_t>(fraction_.q) * width, 0);
            for (int i = 0; i < fraction_.q; ++i)
                for (int k = 0; k < kRateTaps; ++k)
                    for (int ch = 0; ch < c; ++ch)
                        kernelTable_[static_cast<size_t>(i) * width + k * c + ch] = table_[i * kRateTaps + k];
        }
        buildPlanarTables();
    } catch (const std::bad_alloc&) {
        return false;
    }
    run_.q = fraction_.q;
    run_.p = fraction_.p;
    run_.channels = c;
    run_.history = history_.data();
    return true;
}

// The 16-bit planar form: coefficients as int16 (when they fit), one plane of
// int16 samples per channel, and the phase steps as tables.
void LSRCConvertRate::buildPlanarTables() {
    const int q = fraction_.q;
    tableFits16_ = std::all_of(table_.begin(), table_.end(), [](int32_t v) { return v >= -32767 && v <= 32767; });
    if (!tableFits16_) return;
    table16_.assign(static_cast<size_t>(q) * 64, 0);
    for (int i = 0; i < q; ++i)
        for (int k = 0; k < kRateTaps; ++k) table16_[i * 64 + k] = static_cast<int16_t>(table_[i * kRateTaps + k]);
    planes_.assign(static_cast<size_t>(kPlaneStride) * channels(), 0);
    advance_.resize(static_cast<size_t>(q));
    nextPhase_.resize(static_cast<size_t>(q));
    for (int i = 0; i < q; ++i) {
        advance_[i] = (i + fraction_.p) / q;
        nextPhase_[i] = (i + fraction_.p) % q;
    }
    run_.table16 = table16_.data();
    run_.planes = planes_.data();
    run_.planeStride = kPlaneStride;
    run_.advance = advance_.data();
    run_.nextPhase = nextPhase_.data();
    if (fraction_.p <= fraction_.q) buildPairTables();
}

// When the rate goes up (or stays), sixteen output frames of one phase are
// computed side by side from pair planes (see RateRun).
void LSRCConvertRate::buildPairTables() {
    const int32_t p = fraction_.p;
    pairPlaneLength_ = kHistoryFrames / p + 2;  // every word a block of 32 lanes can reach
    pairPlanes_.assign(static_cast<size_t>(pairPlaneLength_) * p * channels(), 0);
    pairOffsets_.resize(static_cast<size_t>(p) * 32);
    for (int32_t rho = 0; rho < p; ++rho)
        for (int32_t kp = 0; kp < 32; ++kp)
            pairOffsets_[rho * 32 + kp] = ((rho + 2 * kp) % p) * pairPlaneLength_ + (rho + 2 * kp) / p;
    run_.pairPlanes = pairPlanes_.data();
    run_.pairChannelStride = pairPlaneLength_ * p;
    run_.pairOffsets = pairOffsets_.data();
    // With p = 1 or 2 the words of one residue lie at a fixed distance.
    run_.pairStride = p == 1 ? 2 : p == 2 ? 1 : 0;
}

namespace {

int32_t pairWord(const int16_t* plane, int32_t i) {
    return static_cast<int32_t>(static_cast<uint16_t>(plane[i]) |
                                (static_cast<uint32_t>(static_cast<uint16_t>(plane[i + 1])) << 16));
}

}  // namespace

void LSRCConvertRate::updatePairPlanes(int channel, const int16_t* plane) {
    const int32_t p = fraction_.p;
    int32_t* words = pairPlanes_.data() + static_cast<size_t>(channel) * run_.pairChannelStride;
    if (p == 1) {
        // The common case (doubling, quadrupling) as one plain loop.
        for (int32_t i = 0; i < kHistoryFrames; ++i) words[i] = pairWord(plane, i);
        return;
    }
    for (int32_t r = 0; r < p; ++r) {
        int32_t* out = words + static_cast<size_t>(r) * pairPlaneLength_;
        for (int32_t i = r, t = 0; i < kHistoryFrames; i += p, ++t) out[t] = pairWord(plane, i);
    }
}

// Copies the scaled history into the planes when it fits 16 bits.
void LSRCConvertRate::updatePlanes(bool fits16) {
    historyFits16_ = false;
    if (!tableFits16_ || !fits16) return;
    const int c = channels();
    const int32_t* h = history_.data();
    for (int ch = 0; ch < c; ++ch) {
        int16_t* plane = planes_.data() + static_cast<size_t>(ch) * kPlaneStride;
        if (c == 1) {
            for (int32_t f = 0; f < kHistoryFrames; ++f) plane[f] = static_cast<int16_t>(h[f]);
        } else {
            for (int32_t f = 0; f < kHistoryFrames; ++f) plane[f] = static_cast<int16_t>(h[static_cast<size_t>(f) * c + ch]);
        }
        if (!pairPlanes_.empty()) updatePairPlanes(ch, plane);
    }
    historyFits16_ = true;
}

void LSRCConvertRate::fillInitialHistory() {
    const int32_t readFrames = kHistoryFrames - kLeadFrames;  // 8161
    std::fill(history_.begin(), history_.end(), 0);
    inner_.read(frameAt(kLeadFrames), readFrames);
    run_.index = 0;
    run_.phase = 0;
    rescale(kLeadFrames);
}

// Sets the block shift from the peak of the frames from `firstFrame` to the
// end of the history and scales them by it.
void LSRCConvertRate::rescale(int32_t firstFrame) {
    const size_t begin = static_cast<size_t>(firstFrame) * channels();
    const size_t count = static_cast<size_t>(kHistoryFrames) * channels() - begin;
    const Extremes e = extremesOf(history_.data() + begin, count);
    shift_ = shiftFor(e.peak());
    shiftRight(history_.data() + begin, count, shift_, e);
    run_.rightShift = shift_ <= 15 ? 15 - shift_ : 0;
    run_.leftShift = shift_ <= 15 ? 0 : shift_ - 15;
    run_.rounding = (1 << run_.rightShift) >> 1;
    // Rounding may lift the largest sample to +32768; the shift keeps order,
    // so the extremes tell whether everything fits 16 bits.
    updatePlanes(shiftedRounded(e.hi, shift_) <= 32767 && shiftedRounded(e.lo, shift_) >= -32768);
}

void LSRCConvertRate::refill() {
    const size_t c = channels();
    int32_t* keep = frameAt(kRefillFrames);
    for (size_t i = 0; i < kKeepFrames * c; ++i)
        history_[i] = static_cast<int32_t>(static_cast<uint32_t>(keep[i]) << shift_);
    inner_.read(frameAt(kKeepFrames), kRefillFrames);
    rescale(0);
    run_.index -= kRefillFrames;
}

int32_t LSRCConvertRate::runKernel(int32_t* out, int32_t frames) {
    const bool vector = kernel_ != Kernel::Scalar;
    if ((kernel_ == Kernel::Best || kernel_ == Kernel::Planar) && historyFits16_)
        return runRatePlanar(planarKernel_, run_, out, frames);
    if (vector && channels() == 1) {
        run_.table = kernelTable_.data();
        return runRateMonoVector(run_, out, frames);
    }
    if (vector && channels() == 2) {
        run_.table = kernelTable_.data();
        return runRateStereoVector(run_, out, frames);
    }
    run_.table = table_.data();
    return runRateScalar(run_, out, frames);
}

void LSRCConvertRate::read(int32_t* buffer, int32_t frames) {
    if (isError()) return;
    int32_t done = 0;
    while (done < frames) {
        done += runKernel(buffer + static_cast<size_t>(done) * channels(), frames - done);
        // A ratio above 8129 frames per output frame needs several refills.
        while (done < frames && run_.index > kRateLastIndex) refill();
    }
}

void LSRCConvertRate::setPosition(int32_t frame) {
    if (isError()) return;
    // Before the start there is no output; a negative remainder would also
    // give a negative phase.
    const int32_t a = std::max(frame, 0);
    const int32_t q = fraction_.q;
    const int32_t p = fraction_.p;
    const int32_t k = a / q;
    const int32_t r = a % q;
    // Positions far past the end would overflow; they stay at the largest.
    const int64_t inner = int64_t{k} * p + (r * p) / q - kLeadFrames;
    inner_->setPosition(static_cast<int32_t>(std::min<int64_t>(inner, INT32_MAX)));
    run_.index = 0;
    run_.phase = (r * p) % q;
    inner_.read(history_.data(), kHistoryFrames);
    rescale(0);
}

int32_t LSRCConvertRate::innerToOutput(int32_t a) const {
    const int32_t q = fraction_.q;
    const int32_t p = fraction_.p;
    const int64_t out = int64_t{a / p} * q + ((a % p) * q) / p;
    return static_cast<int32_t>(std::min<int64_t>(out, INT32_MAX));
}

int32_t LSRCConvertRate::getPosition() {
    if (isError() || !inner_) return 0;
    return innerToOutput(inner_->getPosition() + run_.index - (kHistoryFrames - kLeadFrames));
}

int32_t LSRCConvertRate::getLength() {
    if (isError() || !inner_) return 0;
    return innerToOutput(inner_->getLength());
}

LSoundSource LSPConvertRate::apply(const LSoundSource& input) const {
    if (!input.usable() || input->sampleRate() == targetRate_) return input;
    return makeSource<LSRCConvertRate>(input, targetRate_);
}

}  // namespace typix
