#pragma once
// Decibel levels and Q24 gains.
//
// A decibel level is a signed 8-bit whole number; -127 and below mean "off".
// The amplitude table maps a level d to the linear gain 10^(d/20) * 2^24
// (2^24 = unity), rounded, capped at INT32_MAX (so every level above +42 dB
// saturates), with -128 and -127 muting (0).  It is built once, before main,
// and only read afterwards, so any thread may use it.
#include <array>
#include <cstdint>

namespace typix {

inline constexpr int32_t kUnityGain = 1 << 24;

class LDB {
public:
    // Linear Q24 gain for a level in whole decibels.
    static int32_t amplitude(int8_t db) { return tables_class.amplitude_[static_cast<uint8_t>(db)]; }

    // (gain * sample) >> 24 from 12-bit halves, never needing a 64-bit
    // product: (g >> 12) * (s >> 12) + (((g >> 12) * (s & 0xFFF)) >> 12)
    //   + (((s >> 12) * (g & 0xFFF)) >> 12).
    // At unity gain it returns the sample exactly.  A result beyond 32 bits
    // wraps (two's complement), as the 32-bit arithmetic it stands for.
    static int32_t mul(int32_t gain, int32_t sample) {
        const int32_t gh = gain >> 12, gl = gain & 0xFFF;
        const int32_t sh = sample >> 12, sl = sample & 0xFFF;
        const uint32_t high = static_cast<uint32_t>(gh) * static_cast<uint32_t>(sh);
        const int32_t mid1 = (gh * sl) >> 12;  // |gh * sl| < 2^31
        const int32_t mid2 = (sh * gl) >> 12;  // |sh * gl| < 2^31
        return static_cast<int32_t>(high + static_cast<uint32_t>(mid1) +
                                    static_cast<uint32_t>(mid2));
    }

private:
    LDB();
    static const LDB tables_class;
    std::array<int32_t, 256> amplitude_{};  // indexed by the level's byte
};

}  // namespace typix
