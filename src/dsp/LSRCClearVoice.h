#pragma once
// Clear voice: makes a faint speaker in a noisy room easier to follow.  Two
// steps, both in integer arithmetic:
//  1. Rumble and hum are removed by a high-pass: the input minus its low
//     band.  The low band is found at a lower rate: averages of B frames
//     (1/4000 to 1/2000 s), two moving averages of those in a row (running
//     sums), and a straight line between the results back at the full rate.
//     The averages span about 1/350 s, so 50 Hz loses over 20 dB, 100 Hz 12 to
//     14 dB, 200 Hz 3 to 4 dB, and speech above 300 Hz passes.
//  2. A compressor with make-up gain evens out loud and quiet passages: a peak
//     envelope (instant attack, a release of about 0.37 s) picks one gain from
//     a small table for every 32 frames, and every sample is multiplied by it
//     (one 32-bit multiply).  The table brings a level L (dB below 16-bit full
//     scale) to -9 + (L + 9) / 4, lifts by at most 18 dB and leaves
//     near-silence (below -73 dB) alone.  Since the envelope already holds the
//     block's peak, the gain can never push a sample past full scale.
// The stage filters whole gain blocks (at most kChunk frames at a time) as
// they are read, so its output does not depend on how it is read; the sound
// lags the input by the filter's delay (about 3 ms).  It never reads more than
// a gain block ahead of what it delivered.  It carries state from frame to
// frame, so it belongs where nothing moves its position block by block: above
// the speed stage, not below it.
// All channels share one envelope, so a stereo image does not wander.
//
// Threads: no lock of its own; one thread drives it at a time.
// Failure: over a missing or failed inner source the stage is in the error
// state and read writes nothing.
#include <cstdint>
#include <memory>
#include <vector>

#include "sound/LSoundSource.h"

namespace typix {

// The filter and envelope, defined with the loops that use them.
struct ClearVoiceState;

class LSRCClearVoice : public LSoundProcessBase {
public:
    explicit LSRCClearVoice(LSoundSource inner);
    ~LSRCClearVoice() override;

    void read(int32_t* buffer, int32_t frames) override;
    // Positions the inner source and starts the filter and envelope afresh.
    void setPosition(int32_t frame) override;
    // The inner position less the frames read from it but not delivered yet.
    int32_t getPosition() override;

    // Frames per average at the lower rate (a power of two, 1 to 32) and the
    // span of each moving average in those averages (odd, 3 or more).
    static int32_t decimationFor(int32_t sampleRate);
    static int32_t spanFor(int32_t sampleRate);
    // The compressor's gain for an envelope (internal sample scale), in Q12.
    static int32_t gainFor(int32_t envelope);

    static constexpr int32_t kChunk = 4096;     // most frames filtered in one go
    static constexpr int32_t kGainBlock = 32;   // frames per gain step
    // The widest sample the filter takes in (4 times 16-bit full scale;
    // louder input is held there first).
    static constexpr int32_t kInputLimit = 1 << 21;

private:

    void reset();
    // Reads n frames (whole gain blocks) from the inner source into `frames`
    // and filters them there.
    void refill(int32_t* frames, int32_t n);

    std::unique_ptr<ClearVoiceState> state_;
    std::vector<int32_t> chunk_;  // filtered frames of a read that ended inside a gain block
    int32_t filled_ = 0;          // frames filtered into it
    int32_t pending_ = 0;         // frames at its end not delivered yet (fewer than a gain block)
};

// The process: wraps a usable source in an LSRCClearVoice, hands back any
// other source unchanged.
class LSPClearVoice : public LSoundProcess {
public:
    LSoundSource apply(const LSoundSource& input) const override;
};

}  // namespace typix
