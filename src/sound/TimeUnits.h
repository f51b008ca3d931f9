#pragma once
// Positions, durations and ramp times are 32-bit integers in 1/10000 second.
// The conversions keep this exact order of integer operations so that nothing
// overflows 32 bits.
#include <cstdint>
#include <string>

namespace typix {

inline constexpr int32_t kTimeUnitsPerSecond = 10000;

// t (1/10000 s) to frames at `rate`: R*(t/10000) + R*(t%10000)/10000.
inline int32_t timeToFrames(int32_t t, int32_t rate) {
    return rate * (t / 10000) + rate * (t % 10000) / 10000;
}

// f frames at `rate` to 1/10000 s: (f/R)*10000 + (f%R)*10000/R; 0 when rate <= 0.
inline int32_t framesToTime(int32_t f, int32_t rate) {
    if (rate <= 0) return 0;
    return (f / rate) * 10000 + (f % rate) * 10000 / rate;
}

// Time text: sign (blank or '-') then "%ld:%.2ld:%.2ld.%.1ld" rounded to tenths.
std::string formatTime(int32_t t);

}  // namespace typix
