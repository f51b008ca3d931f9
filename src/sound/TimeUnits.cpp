#include "sound/TimeUnits.h"

#include <cstdio>
#include <cstdlib>

namespace typix {

std::string formatTime(int32_t t) {
    // The magnitude in 64 bits: -INT32_MIN does not fit in 32.
    const int64_t magnitude = std::llabs(static_cast<int64_t>(t));
    const int64_t tenths = (magnitude + 500) / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%c%ld:%.2ld:%.2ld.%.1ld", t < 0 ? '-' : ' ',
                  static_cast<long>(tenths / 36000), static_cast<long>(tenths / 600 % 60),
                  static_cast<long>(tenths / 10 % 60), static_cast<long>(tenths % 10));
    return text;
}

}  // namespace typix
