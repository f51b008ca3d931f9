#pragma once
// Speed change without a change of pitch, by plain block overlap in the time
// domain.  The source copies blocks of 1/40 s of its input to its output and,
// between blocks, moves its input position by a skip set from the speed
// ratio; the first half block of every block is cross-faded linearly with the
// input that followed the previous block.  A negative ratio walks backwards
// through the input while each block still plays forwards (audible rewind).
//
// Threads: no lock of its own.  It is built on one thread and may then be
// pulled by another; whoever shares it serialises read and setPosition.
// Failure: over a missing or failed inner source (or when a buffer cannot be
// allocated) the source is in the error state and read writes nothing.
#include <cstdint>
#include <vector>

#include "sound/LSoundSource.h"

namespace typix {

class LSRCSpeed : public LSoundProcessBase {
public:
    // ratios: 1.0 normal speed, 0.5 half, 2.0 double, negative walks backwards.
    // rampTime in 1/10000 s; <= 0 keeps startRatio for ever (endRatio ignored).
    LSRCSpeed(LSoundSource inner, double startRatio, double endRatio, int32_t rampTime);

    // Always delivers exactly `frames` frames (any count) unless in error.
    void read(int32_t* buffer, int32_t frames) override;
    // Positions the inner source and re-primes the overlap; a running ramp
    // keeps its current skip.
    void setPosition(int32_t frame) override;

    // Block length N and overlap H = N >> 1, in frames.
    int32_t blockLength() const { return blockLength_; }
    int32_t overlapLength() const { return overlapLength_; }
    // Frames by which the inner position moves after each refill, its ramp
    // target and the change per refill while the ramp runs.
    int32_t skip() const { return skip_; }
    int32_t targetSkip() const { return targetSkip_; }
    int32_t skipStep() const { return skipStep_; }

    // N = rate / 40, limited to 8192 and then raised to at least 20.
    static int32_t blockLengthFor(int32_t sampleRate);

private:
    void applyStartGuard();
    void reset();
    void refill();
    void crossFade();
    void moveInput();
    void advanceRamp();
    void readInner(int32_t* buffer, int32_t frames);

    int32_t blockLength_ = 0;
    int32_t overlapLength_ = 0;
    std::vector<int32_t> block_;
    std::vector<int32_t> tail_;
    int32_t outputPosition_ = 0;
    int32_t skip_ = 0;
    int32_t targetSkip_ = 0;
    int32_t skipStep_ = 0;
};

// The parameters of a speed change; apply wraps a usable source in an
// LSRCSpeed and hands back any other source unchanged.
class LSPSpeed : public LSoundProcess {
public:
    LSPSpeed(double startRatio, double endRatio, int32_t rampTime)
        : startRatio_(startRatio), endRatio_(endRatio), rampTime_(rampTime) {}
    LSoundSource apply(const LSoundSource& input) const override;

    double startRatio() const { return startRatio_; }
    double endRatio() const { return endRatio_; }
    int32_t rampTime() const { return rampTime_; }

private:
    double startRatio_;
    double endRatio_;
    int32_t rampTime_;
};

}  // namespace typix
