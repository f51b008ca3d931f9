#pragma once
// The program's own volume, for output and capture that pass through a sound
// server (PipeWire, PulseAudio, or any PCM that is not a card opened
// directly).  Behind a server the card's mixer is the desktop's master
// volume, shared by every program, so the program scales its own samples
// instead and never touches it.  This is the equivalent of a session volume:
// the level applies to this program's stream and nothing else.
//
// Mapping (design note): a level of d whole decibels becomes the Q24 gain
//     g = round(2^24 * 10^(d / 20)),
// so 0 dB is 2^24 exactly (unity: samples pass bit for bit), -20 dB is
// 1677722 (0.1), -6 dB is 8408526 (0.501), +12 dB is 66791300 (3.98).  A
// level of "off" (below -126 dB, that is -127) is gain 0: silence.  Gains that
// would not fit 32 bits (above +42 dB) are held at the largest that does.
// A sample x (internal scale, a 16-bit value << 4) becomes the split product
// of the Overview, (x >> 12)(g >> 12) + (((x & 0xFFF)(g >> 12)) >> 12) +
// (((x >> 12)(g & 0xFFF)) >> 12), which never needs more than 32 bits; the
// 16-bit result is then rounded and saturated as any internal sample is.
//
// Cards opened directly ("hw:", "plughw:") keep the simple-mixer path of
// Mixer.h with its 16-bit mapping, since nothing sits between the program and
// the card there.  Any thread; no state.
#include <cstddef>
#include <cstdint>

namespace typix {

// The Q24 gain of a level in whole decibels (see the mapping above).
int32_t programGainQ24(int levelDb);

// Scales `count` 16-bit samples by `gainQ24` from `in` into `out` (which may
// be `in`).  Unity copies them unchanged.
void applyProgramGain(const int16_t* in, int16_t* out, size_t count, int32_t gainQ24);

// Scales `count` internal samples in place (capture, before its levels).
void applyProgramGain(int32_t* samples, size_t count, int32_t gainQ24);

}  // namespace typix
