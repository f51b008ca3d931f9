#include "dsp/LSRCSpeed.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "dsp/SplitProduct.h"
#include "dsp/TargetClones.h"
#include "sound/TimeUnits.h"

namespace typix {

namespace {

// Skip for a ratio: the input advances N + H + skip frames per N delivered,
// so skip = trunc((r - 1) N) - H makes it run at r times the output.  Absurd
// ratios (beyond about 65000, or not a number) are held to +-2^28 frames so
// that the skip, its ramp step and the moved position stay integers.
int32_t skipForRatio(double ratio, int32_t n, int32_t h) {
    constexpr double kLimit = 1 << 28;
    double product = (ratio - 1.0) * n;
    if (!(product > -kLimit)) product = -kLimit;  // also NaN
    if (product > kLimit) product = kLimit;
    return static_cast<int32_t>(product) - h;
}

}  // namespace

int32_t LSRCSpeed::blockLengthFor(int32_t sampleRate) {
    int32_t n = sampleRate / 40;
    if (n > 8192) n = 8192;
    if (n < 20) n = 20;
    return n;
}

LSRCSpeed::LSRCSpeed(LSoundSource inner, double startRatio, double endRatio, int32_t rampTime)
    : LSoundProcessBase(std::move(inner)) {
    const int32_t rate = sampleRate();
    blockLength_ = blockLengthFor(rate);
    overlapLength_ = blockLength_ >> 1;
    try {
        block_.assign(static_cast<size_t>(channels()) * blockLength_, 0);
        tail_.assign(static_cast<size_t>(channels()) * overlapLength_, 0);
    } catch (const std::bad_alloc&) {
        setError();
    }
    outputPosition_ = blockLength_;
    skip_ = skipForRatio(startRatio, blockLength_, overlapLength_);
    targetSkip_ = skip_;
    skipStep_ = 0;
    if (rampTime > 0) {
        targetSkip_ = skipForRatio(endRatio, blockLength_, overlapLength_);
        const int32_t rampFrames = timeToFrames(rampTime, rate);
        skipStep_ = (targetSkip_ - skip_) / (rampFrames / blockLength_ + 1);
    }
    applyStartGuard();
    reset();
}

// With at most two blocks left, start two blocks before the end so that the
// first refills have something to overlap.  A shorter input starts at 0.
void LSRCSpeed::applyStartGuard() {
    if (isError()) return;
    const int32_t length = inner_->getLength();
    if (length - inner_->getPosition() <= 2 * blockLength_)
        inner_->setPosition(std::max(0, length - 2 * blockLength_));
}

void LSRCSpeed::readInner(int32_t* buffer, int32_t frames) {
    if (inner_) {
        inner_->read(buffer, frames);
    } else {
        std::memset(buffer, 0, sizeof(int32_t) * static_cast<size_t>(frames) * channels());
    }
}

// Primes the tail with the input at the current position, so the first block
// is cross-faded with a copy of its own start.
void LSRCSpeed::reset() {
    if (isError()) return;
    const int32_t position = inner_->getPosition();
    readInner(tail_.data(), overlapLength_);
    inner_->setPosition(position);
    outputPosition_ = blockLength_;
}

void LSRCSpeed::setPosition(int32_t frame) {
    if (inner_) inner_->setPosition(frame);
    reset();
}

void LSRCSpeed::read(int32_t* buffer, int32_t frames) {
    if (isError()) return;
    const size_t c = channels();
    int32_t written = 0;
    while (written < frames) {
        if (outputPosition_ >= blockLength_) refill();
        const int32_t count = std::min(frames - written, blockLength_ - outputPosition_);
        std::memcpy(buffer + c * written, block_.data() + c * outputPosition_,
                    sizeof(int32_t) * c * static_cast<size_t>(count));
        written += count;
        outputPosition_ += count;
    }
}

void LSRCSpeed::refill() {
    readInner(block_.data(), blockLength_);
    crossFade();
    readInner(tail_.data(), overlapLength_);
    outputPosition_ = 0;
    moveInput();
    advanceRamp();
}

// The new block fades in from gain 0 while the old tail fades out; the gain
// advances once per interleaved sample, so the channels of one frame receive
// successive steps.  Integer gains in Q24 keep the loop exact and portable;
// the 32-bit products vectorise well only with AVX2, hence the vector builds.
TYPIX_TARGET_CLONES
void LSRCSpeed::crossFade() {
    const int32_t m = static_cast<int32_t>(tail_.size());
    if (m == 0) return;
    const int32_t g = kUnityGainQ24 / m;
    int32_t* block = block_.data();
    const int32_t* tail = tail_.data();
    for (int32_t i = 0; i < m; ++i) {
        const int32_t a = i * g;
        block[i] = wrapAdd(splitProductQ24(block[i], a), splitProductQ24(tail[i], kUnityGainQ24 - a));
    }
}

void LSRCSpeed::moveInput() {
    const int64_t position = int64_t{inner_->getPosition()} + skip_;
    inner_->setPosition(static_cast<int32_t>(std::clamp<int64_t>(position, 0, INT32_MAX)));
}

void LSRCSpeed::advanceRamp() {
    if (skip_ == targetSkip_) return;
    const int32_t next = skip_ + skipStep_;
    const bool passed = (skip_ < targetSkip_ && targetSkip_ < next) ||
                        (next < targetSkip_ && targetSkip_ < skip_);
    skip_ = passed ? targetSkip_ : next;
}

LSoundSource LSPSpeed::apply(const LSoundSource& input) const {
    if (!input.usable()) return input;
    return makeSource<LSRCSpeed>(input, startRatio_, endRatio_, rampTime_);
}

}  // namespace typix
