#pragma once
// Channel count conversion by copying channels; nothing is ever mixed.
// Rate, peak level, positions and lengths are the inner source's.
//
// Threads: no lock of its own; one thread drives it at a time.  Failure: a
// missing or failed inner source or a target of 0 (or above 255) channels
// leave it in the error state: read writes nothing.
#include <cstdint>
#include <vector>

#include "sound/LSoundSource.h"

namespace typix {

class LSRCConvChannels : public LSoundProcessBase {
public:
    static constexpr int32_t kBlockFrames = 8192;

    // Reads of any length are served in pieces of at most kBlockFrames.
    void read(int32_t* buffer, int32_t frames) final;

protected:
    LSRCConvChannels(LSoundSource inner, int targetChannels);
    // Spreads `frames` frames of the inner source's channels from `in`.
    virtual void convert(const int32_t* in, int32_t* out, int32_t frames) const = 0;
    int innerChannels() const { return innerChannels_; }

private:
    int innerChannels_;
    std::vector<int32_t> scratch_;
};

// Two channels to one: keeps the left channel, drops the right.
class LSRCConvStereoMono : public LSRCConvChannels {
public:
    explicit LSRCConvStereoMono(LSoundSource inner) : LSRCConvChannels(std::move(inner), 1) {}

private:
    void convert(const int32_t* in, int32_t* out, int32_t frames) const override;
};

// One channel to two identical ones.
class LSRCConvMonoStereo : public LSRCConvChannels {
public:
    explicit LSRCConvMonoStereo(LSoundSource inner) : LSRCConvChannels(std::move(inner), 2) {}

private:
    void convert(const int32_t* in, int32_t* out, int32_t frames) const override;
};

// Any other pair: output channel c takes input channel c mod B (B inputs).
class LSRCConvChannelsN : public LSRCConvChannels {
public:
    LSRCConvChannelsN(LSoundSource inner, int targetChannels)
        : LSRCConvChannels(std::move(inner), targetChannels) {}

private:
    void convert(const int32_t* in, int32_t* out, int32_t frames) const override;
};

// Picks the converter for the pair; hands back the input unchanged when it is
// empty, failed, already has the target count, or the target is 0.
class LSPConvChannels : public LSoundProcess {
public:
    explicit LSPConvChannels(uint16_t targetChannels) : targetChannels_(targetChannels) {}
    LSoundSource apply(const LSoundSource& input) const override;
    uint16_t targetChannels() const { return targetChannels_; }

private:
    uint16_t targetChannels_;
};

}  // namespace typix
