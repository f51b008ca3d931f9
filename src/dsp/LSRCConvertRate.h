#pragma once
// Sample rate conversion by band-limited interpolation: a 63-tap polyphase
// windowed-sinc filter (Kaiser window), the input advancing P/Q frames per
// output frame.  The input is held in an 8192-frame history buffer scaled
// right by a per-buffer shift so that its samples fit 16 bits and the 63
// products with Q15 coefficients stay inside 32 bits.
//
// Positions and lengths are in output frames.  Threads: no lock of its own;
// one thread drives it at a time.  Failure: a missing or failed inner
// source, a target rate below 1, a ratio beyond what 255 phases express, or a
// failed allocation leave it in the error state: read writes nothing.
#include <cstdint>
#include <vector>

#include "dsp/RateFilter.h"
#include "dsp/RateKernels.h"
#include "sound/LSoundSource.h"

namespace typix {

class LSRCConvertRate : public LSoundProcessBase {
public:
    static constexpr int32_t kHistoryFrames = 8192;
    static constexpr int32_t kLeadFrames = 31;   // zeros before the first input frame
    static constexpr int32_t kKeepFrames = 63;   // frames carried over by a refill
    static constexpr int32_t kRefillFrames = kHistoryFrames - kKeepFrames;  // 8129

    LSRCConvertRate(LSoundSource inner, int32_t targetRate);

    void read(int32_t* buffer, int32_t frames) override;
    void setPosition(int32_t frame) override;
    int32_t getPosition() override;
    int32_t getLength() override;

    uint16_t phaseCount() const { return fraction_.q; }
    int32_t step() const { return fraction_.p; }
    RateFilterShape filterShape() const { return shape_; }
    // q x 63 Q15 coefficients, phase-major.
    const std::vector<int32_t>& filterTable() const { return table_; }
    int blockShift() const { return shift_; }
    int outputShift() const { return 15 - shift_; }
    int32_t inputIndex() const { return run_.index; }
    int32_t phase() const { return run_.phase; }

    // Which inner loop computes the dot products.  All give the same output:
    // Best takes the 16-bit planar loop of the best instruction set while the
    // coefficients and the history fit 16 bits, else the 32-bit vector loop
    // (mono, stereo) or the scalar form.  The others force one form, for
    // checks and comparisons; a forced planar loop still falls back while the
    // history does not fit 16 bits.
    enum class Kernel { Best, Scalar, Vector32, Planar };
    void useKernel(Kernel kernel, RatePlanarKernel planar = bestRatePlanarKernel()) {
        kernel_ = kernel;
        planarKernel_ = planar;
    }
    // Whether the history now held fits the 16-bit planar loops.
    bool historyFits16() const { return historyFits16_; }

private:
    bool allocate();
    void fillInitialHistory();
    void refill();
    void rescale(int32_t firstFrame);
    int32_t* frameAt(int32_t frame) { return history_.data() + static_cast<size_t>(frame) * channels(); }
    int32_t innerToOutput(int32_t inputFrames) const;
    int32_t runKernel(int32_t* out, int32_t frames);
    void buildPlanarTables();
    void updatePlanes(bool fits16);
    void buildPairTables();
    void updatePairPlanes(int channel, const int16_t* plane);

    RateFraction fraction_;
    RateFilterShape shape_{};
    std::vector<int32_t> table_;
    std::vector<int32_t> kernelTable_;
    std::vector<int32_t> history_;
    RateRun run_;
    int shift_ = 0;
    std::vector<int16_t> table16_;
    std::vector<int16_t> planes_;
    std::vector<int32_t> advance_;
    std::vector<int32_t> nextPhase_;
    std::vector<int32_t> pairPlanes_;
    std::vector<int32_t> pairOffsets_;
    int32_t pairPlaneLength_ = 0;
    bool tableFits16_ = false;
    bool historyFits16_ = false;
    Kernel kernel_ = Kernel::Best;
    RatePlanarKernel planarKernel_ = bestRatePlanarKernel();
};

// Wraps a usable source whose rate differs from the target in an
// LSRCConvertRate; any other source is handed back unchanged.
class LSPConvertRate : public LSoundProcess {
public:
    explicit LSPConvertRate(int32_t targetRate) : targetRate_(targetRate) {}
    LSoundSource apply(const LSoundSource& input) const override;
    int32_t targetRate() const { return targetRate_; }

private:
    int32_t targetRate_;
};

}  // namespace typix
