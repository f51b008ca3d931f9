#pragma once
// Deterministic speech-like signals for the dsp tests and benchmarks, made in
// memory: syllables of 100-300 ms at roughly four a second with short pauses;
// voiced syllables are a few harmonics of a gliding 90-220 Hz fundamental,
// unvoiced ones are noise bursts; each syllable has a raised-cosine envelope.
// Internal scale (16-bit full scale = 2^19), peaks near half scale.
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace typix::test {

inline std::vector<int32_t> syntheticSpeech(int32_t rate, int64_t frames, uint32_t seed = 1) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<int32_t> out(static_cast<size_t>(frames), 0);
    int64_t at = 0;
    double phase = 0.0;
    while (at < frames) {
        const int64_t length = static_cast<int64_t>(rate * (0.1 + 0.2 * unit(rng)));
        const int64_t pause = static_cast<int64_t>(rate * 0.08 * unit(rng));
        const bool voiced = unit(rng) < 0.75;
        const double f0 = 90.0 + 130.0 * unit(rng);
        const double glide = (unit(rng) - 0.5) * 0.4;
        const double level = 0.15 + 0.35 * unit(rng);
        for (int64_t i = 0; i < length && at + i < frames; ++i) {
            const double t = static_cast<double>(i) / length;
            const double envelope = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * t);
            double v;
            if (voiced) {
                phase += 2.0 * std::numbers::pi * f0 * (1.0 + glide * t) / rate;
                v = std::sin(phase) + 0.5 * std::sin(2 * phase) + 0.3 * std::sin(3 * phase) +
                    0.15 * std::sin(5 * phase) + 0.05 * (unit(rng) - 0.5);
                v *= 0.5;
            } else {
                v = unit(rng) - 0.5;
            }
            out[static_cast<size_t>(at + i)] = static_cast<int32_t>(v * envelope * level * 524288.0);
        }
        at += length + pause;
    }
    return out;
}

// Uniform random internal samples in [-amplitude, amplitude].
inline std::vector<int32_t> randomSamples(size_t count, int32_t amplitude, uint32_t seed = 7) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int32_t> dist(-amplitude, amplitude);
    std::vector<int32_t> out(count);
    for (auto& s : out) s = dist(rng);
    return out;
}

}  // namespace typix::test
