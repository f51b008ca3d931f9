#include "sound/LDB.h"

#include <cmath>

namespace typix {

const LDB LDB::tables_class;

LDB::LDB() {
    for (int d = -128; d <= 127; ++d) {
        int32_t value = 0;
        if (d > -127) {
            const double gain = std::pow(10.0, d / 20.0) * 16777216.0 + 0.5;
            value = gain >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(gain);
        }
        amplitude_[static_cast<uint8_t>(static_cast<int8_t>(d))] = value;
    }
}

}  // namespace typix
