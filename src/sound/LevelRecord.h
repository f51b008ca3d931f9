#pragma once
#include <array>
#include <cstdint>

namespace typix {

// Levels of one block, shared by the player, the recorder and the meters: a
// count (channels, 0 = none) and one level per channel in whole decibels,
// -127 meaning silence.
struct LevelRecord {
    uint8_t count = 0;
    std::array<int8_t, 256> levels{};
};

}  // namespace typix
