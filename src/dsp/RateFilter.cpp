#include "dsp/RateFilter.h"

#include <cmath>
#include <numbers>

namespace typix {

RateFraction chooseRateFraction(int32_t inRate, int32_t outRate) {
    const long double m = static_cast<long double>(inRate) / static_cast<long double>(outRate);
    RateFraction f;
    long double best = m;
    for (int i = 1; i <= kRateMaxPhases; ++i) {
        // The nearest numerator is kept as an unsigned 16-bit value.
        const auto nearest = static_cast<uint16_t>(
            static_cast<uint64_t>(std::trunc(m * i + 0.5L)) & 0xFFFFu);
        const long double err = std::fabs(m - static_cast<long double>(nearest) / i);
        if (err < best) {
            f.q = static_cast<uint16_t>(i);
            if (err < 0.001L) break;
            best = err;
        }
    }
    // Beyond kRateMaxStep the step is reported as 0, which no converter accepts.
    const long double p = std::trunc(m * f.q + 0.5L);
    f.p = p <= kRateMaxStep ? static_cast<int32_t>(p) : 0;
    return f;
}

RateFilterShape rateFilterShape(int32_t inRate, int32_t outRate) {
    if (inRate < outRate) return {0.975, 2.12};
    return {static_cast<double>(outRate) / inRate - 0.046875, 4.538};
}

double besselI0Series(double y) {
    const double half = y / 2.0;
    double term = 1.0;
    double sum = 1.0;
    for (int k = 1; k <= 6; ++k) {
        term *= (half / k) * (half / k);
        sum += term;
    }
    return sum;
}

std::vector<int32_t> buildRateFilterTable(int q, const RateFilterShape& shape) {
    const double fc = shape.cutoff;
    const double gain = fc * 32768.0 / besselI0Series(shape.beta);
    std::vector<int32_t> table(static_cast<size_t>(q) * kRateTaps);
    for (int i = 0; i < q; ++i) {
        for (int j = 0; j < kRateTaps; ++j) {
            const double x = j - 31 - static_cast<double>(i) / q;
            double c;
            if (x == 0.0) {
                c = std::trunc(fc * 32768.0 + 0.5);
            } else {
                const double a = std::numbers::pi * fc * x;
                c = std::round(gain * std::sin(a) / a *
                               besselI0Series(shape.beta * std::sqrt(1.0 - x * x / 1024.0)));
            }
            table[static_cast<size_t>(i) * kRateTaps + j] = static_cast<int32_t>(c);
        }
    }
    return table;
}

}  // namespace typix
