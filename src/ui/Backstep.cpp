#include "ui/Backstep.h"

#include <algorithm>

namespace typix {

int32_t playStartPosition(int32_t position, int backstepMs, PlayStart how) {
    if (how != PlayStart::Resume || backstepMs <= 0) return position;
    // Milliseconds to 1/10000 s in 64 bits: a huge setting cannot overflow.
    const int64_t start = int64_t(position) - int64_t(backstepMs) * 10;
    return int32_t(std::max<int64_t>(start, 0));
}

}  // namespace typix
