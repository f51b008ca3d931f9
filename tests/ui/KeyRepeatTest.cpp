// Telling held keys from their repeats, for each shape a repeat comes in.
#include <gtest/gtest.h>

#include "ui/KeyRepeat.h"

using namespace typix;

namespace {

using R = KeyRepeat::Release;
constexpr int kLeft = 1, kRight = 2;

TEST(KeyRepeat, UnmarkedPairsAreRepeatsAndTheLastReleaseEndsAfterTheGap) {
    KeyRepeat keys;
    EXPECT_FALSE(keys.press(kLeft, 0));
    for (int64_t t = 660; t < 2500; t += 40) {
        EXPECT_EQ(keys.release(kLeft, t, false), R::Pending);
        EXPECT_TRUE(keys.expire(t).empty());
        EXPECT_TRUE(keys.press(kLeft, t)) << "the pair at " << t;
    }
    EXPECT_EQ(keys.release(kLeft, 2500, false), R::Pending);
    EXPECT_EQ(keys.nextExpiry(), 2500 + KeyRepeat::kRepeatGapMs + 1);
    EXPECT_TRUE(keys.expire(2500 + KeyRepeat::kRepeatGapMs).empty());
    auto done = keys.expire(2500 + KeyRepeat::kRepeatGapMs + 1);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].key, kLeft);
    EXPECT_EQ(done[0].timeMs, 2500) << "the release counts from when it came";
    EXPECT_FALSE(keys.nextExpiry());
    EXPECT_FALSE(keys.press(kLeft, 3000)) << "a later press is a new one";
}

TEST(KeyRepeat, RepeatedPressesAndMarkedPairs) {
    KeyRepeat detectable(true);
    EXPECT_FALSE(detectable.press(kLeft, 0));
    EXPECT_TRUE(detectable.press(kLeft, 700));
    EXPECT_TRUE(detectable.press(kLeft, 717));
    EXPECT_EQ(detectable.release(kLeft, 800, false), R::Final);
    EXPECT_FALSE(detectable.held(kLeft));
    EXPECT_FALSE(detectable.press(kLeft, 801)) << "with detectable repeat a release is final";

    KeyRepeat marked;
    EXPECT_FALSE(marked.press(kLeft, 0));
    EXPECT_EQ(marked.release(kLeft, 700, true), R::Repeat);
    EXPECT_TRUE(marked.held(kLeft));
    EXPECT_TRUE(marked.press(kLeft, 700));
}

TEST(KeyRepeat, AnotherKeyEndsAPendingReleaseAndClearForgetsEverything) {
    KeyRepeat keys;
    keys.press(kLeft, 0);
    keys.release(kLeft, 100, false);
    auto done = keys.expire(110, kRight);
    ASSERT_EQ(done.size(), 1u) << "a repeat's press never follows another key";
    EXPECT_EQ(done[0].key, kLeft);
    EXPECT_FALSE(keys.press(kRight, 110));
    EXPECT_FALSE(keys.press(kLeft, 120)) << "its release was final";

    keys.release(kRight, 130, false);
    EXPECT_EQ(keys.clear().size(), 2u) << "one held, one pending";
    EXPECT_FALSE(keys.held(kLeft));
    EXPECT_FALSE(keys.nextExpiry());
}

}  // namespace
