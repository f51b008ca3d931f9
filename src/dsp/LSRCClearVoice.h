#pragma once
// Clear voice: makes a faint speaker in a noisy room easier to follow.  Two
// steps, both in integer arithmetic:
//  1. Rumble and hum are removed by a high-pass: the input minus its low
//     band.  The low band is found at a lower rate: averages of B frames
//     (about 1/5500 s), two moving averages of those in a row (running sums),
//     and a straight line between the results back at the full rate.  The
//     averages span about 1/350 s, so 50 Hz loses over 20 dB, 100 Hz about
//     12 dB, 200 Hz 3 dB, and speech above 300 Hz passes.
//  2. A compressor with make-up gain evens out loud and quiet passages: a peak
//     envelope (instant attack, a release of about 0.37 s) picks one gain from
//     a small table for every 32 frames, and every sample is multiplied by it
//     (one 32-bit multiply).  The table brings a level L (dB below 16-bit full
//     scale) to -9 + (L + 9) / 4, lifts by at most 18 dB and leaves
//     near-silence (below -73 dB) alone.  Since the envelope already holds the
//     block's peak, the gain can never push a sample past full scale.
// The stage works in pieces of kChunk frames read from its inner source, so
// its output does not depend on how it is read; the sound lags the input by
// the filter's delay (about 3 ms) and the inner position runs up to a piece
// ahead of what was delivered.
// All channels share one envelope, so a stereo image does not wander.
//
// Threads: no lock of its own; one thread drives it at a time.
// Failure: over a missing or failed inner source the stage is in the error
// state and read writes nothing.
#include <cstdint>
#include <vector>

#include "sound/LSoundSource.h"

namespace typix {

class LSRCClearVoice : public LSoundProcessBase {
public:
    explicit LSRCClearVoice(LSoundSource inner);

    void read(int32_t* buffer, int32_t frames) override;
    // Positions the inner source and starts the filter and envelope afresh.
    void setPosition(int32_t frame) override;

    // Frames per average at the lower rate (a power of two, 1 to 32) and the
    // span of each moving average in those averages (odd, 3 or more).
    static int32_t decimationFor(int32_t sampleRate);
    static int32_t spanFor(int32_t sampleRate);
    // The compressor's gain for an envelope (internal sample scale), in Q12.
    static int32_t gainFor(int32_t envelope);

    static constexpr int32_t kChunk = 2048;     // frames filtered in one go
    static constexpr int32_t kGainBlock = 32;   // frames per gain step
    // The widest sample the filter takes in (4 times 16-bit full scale;
    // louder input is held there first).
    static constexpr int32_t kInputLimit = 1 << 21;

private:
    struct ChannelState {
        std::vector<int32_t> input;     // delay frames of history, then the chunk
        std::vector<int64_t> averages;  // span block sums of history, then the chunk's
        std::vector<int64_t> firstSums; // likewise for the first moving sum
        std::vector<int32_t> low;       // the low band of the chunk's blocks
        int64_t sum1 = 0;
        int64_t sum2 = 0;
        int32_t before2 = 0, before1 = 0;  // the low band of the two blocks before
    };

    void reset();
    void refill();
    void highPass(ChannelState& state, int channel);
    void lowBand(ChannelState& state);
    template <int B>
    void subtractLine(const int32_t* input, const int32_t* low, int32_t* out, ChannelState& state);
    void compress();

    int32_t decimation_ = 1;
    int decimationShift_ = 0;
    int32_t span_ = 3;
    int32_t delay_ = 3;       // frames: span * decimation
    int64_t reciprocal_ = 0;  // 2^shift_ / (decimation * span^2)
    int shift_ = 0;
    int releaseShift_ = 0;    // per gain block
    int32_t envelope_ = 0;
    std::vector<ChannelState> channels_;
    std::vector<int32_t> chunk_;     // kChunk interleaved frames, filtered
    std::vector<int32_t> filtered_;  // one channel of the chunk
    int32_t outputPosition_ = kChunk;
};

// The process: wraps a usable source in an LSRCClearVoice, hands back any
// other source unchanged.
class LSPClearVoice : public LSoundProcess {
public:
    LSoundSource apply(const LSoundSource& input) const override;
};

}  // namespace typix
