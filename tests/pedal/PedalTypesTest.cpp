// Pedal type table and the thresholds that decide which pedal is down.
#include <gtest/gtest.h>

#include <linux/input.h>

#include "pedal/PedalTypes.h"

using namespace typix;

namespace {

PedalCaps gamePort() {
    PedalCaps caps;
    caps.x = caps.y = caps.r = {0, 65535};
    return caps;
}

TEST(PedalTypes, NamesAndDescriptionsInTypeOrder) {
    EXPECT_EQ(pedalTypeInfo(0).name, "None");
    EXPECT_EQ(pedalTypeInfo(2).name, "Control wired Y - Axis Game Port");
    EXPECT_EQ(pedalTypeInfo(6).name, "Control wired Reverse Y - Axis");
    EXPECT_EQ(pedalTypeInfo(7).name, "USB transcription foot pedal");
    EXPECT_EQ(pedalTypeInfo(7).description,
              "Suitable for USB foot pedals with three pedals (left rewind, middle play, right "
              "fast forward).");
    for (int type = 0; type < kPedalTypeCount; ++type)
        EXPECT_FALSE(pedalTypeInfo(type).description.empty()) << type;
    EXPECT_TRUE(pedalTypeInfo(-1).name.empty());
    EXPECT_TRUE(pedalTypeInfo(kPedalTypeCount).name.empty());
}

TEST(PedalTypes, ThresholdIsMinPlusTruncatedShareOfTheUnsignedRange) {
    struct Row { AxisLimits limits; double factor; int64_t expected; };
    const Row rows[] = {
        {{0, 65535}, 0.33, 21626},          // 21626.55 truncated
        {{0, 65535}, 0.66, 43253},          // 43253.1
        {{-32768, 32767}, 0.33, -11142},    // evdev axes may be signed
        {{-32768, 32767}, 0.66, 10485},
        {{0, 255}, 0.66, 168},              // 168.3
        {{100, 100}, 0.33, 100},            // no range: the threshold is min
        {{10, 0}, 0.33, 10 + 1417339204},   // max below min wraps as unsigned
    };
    for (const Row& r : rows)
        EXPECT_EQ(axisThreshold(r.limits, r.factor), r.expected)
            << r.limits.min << ".." << r.limits.max << " x " << r.factor;
}

TEST(PedalTypes, TypeTwoAtRestInTheMiddleThirdPressesNothing) {
    PedalPosition p;
    for (int32_t y : {21627, 32767, 43253}) {
        p.y = y;
        EXPECT_EQ(pedalsDown(2, gamePort(), p), PedalsDown{}) << y;
    }
    p.y = 21625;
    EXPECT_TRUE(pedalsDown(2, gamePort(), p).rewind);
    p.y = 43254;
    EXPECT_TRUE(pedalsDown(2, gamePort(), p).play);
}

TEST(PedalTypes, EachTypeReadsItsOwnAxisOrButtons) {
    struct Row { int type; PedalPosition position; PedalsDown expected; };
    const int32_t low = 1000, mid = 32767, high = 60000;
    const Row rows[] = {
        {0, {low, low, low, 3}, {}},
        {1, {low, mid, mid, 0}, {true, false}},
        {1, {high, low, low, 0}, {false, true}},
        {2, {high, low, mid, 0}, {true, false}},
        {3, {mid, mid, high, 0}, {false, true}},
        {3, {mid, mid, low, 0}, {true, false}},
        // Y + R: each pedal is down below two thirds of its own axis.
        {4, {mid, high, mid, 0}, {true, false}},
        {4, {mid, mid, high, 0}, {false, true}},
        {4, {mid, high, high, 0}, {false, false}},
        {5, {mid, mid, mid, 1}, {true, false}},
        {5, {mid, mid, mid, 2}, {false, true}},
        {5, {mid, mid, mid, 4}, {false, false}},
        // Reverse Y: high rewinds, low plays.
        {6, {mid, high, mid, 0}, {true, false}},
        {6, {mid, low, mid, 0}, {false, true}},
        {7, {low, low, low, 1}, {true, false, false}},
        {7, {low, low, low, 2}, {false, true, false}},
        {7, {low, low, low, 4}, {false, false, true}},
        {8, {low, low, low, 7}, {}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(pedalsDown(r.type, gamePort(), r.position), r.expected) << "type " << r.type;
}

}  // namespace
