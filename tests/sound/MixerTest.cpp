// Mixer values: the decibel mapping and the scaling onto a control's range
// are exact; on a machine without the card every function stays silent.
#include <gtest/gtest.h>

#include "sound/Mixer.h"

namespace typix {
namespace {

TEST(MixerLevelValue, DecibelsToSixteenBits) {
    struct Case {
        int db;
        uint16_t value;
    };
    for (const Case& c : {Case{-128, 0}, Case{-36, 0}, Case{-35, 1424}, Case{-1, 49840}, Case{0, 51264},
                          Case{10, 65504}, Case{11, 65535}, Case{12, 65535}, Case{127, 65535}}) {
        EXPECT_EQ(mixerLevelValue(c.db), c.value) << c.db << " dB";
    }
}

TEST(MixerControlValue, ScalesOntoTheControlsOwnRange) {
    struct Case {
        uint16_t value;
        long min, max, expected;
    };
    for (const Case& c : {Case{0, 0, 31, 0}, Case{65535, 0, 31, 31}, Case{51264, 0, 31, 24},
                          Case{51264, 0, 65535, 51264}, Case{1424, -6400, 0, -6261},
                          Case{65535, -6400, 0, 0}, Case{32768, 10, 10, 10},
                          Case{65535, -2147483647L, 2147483647L, 2147483647L}}) {
        EXPECT_EQ(mixerControlValue(c.value, c.min, c.max), c.expected)
            << c.value << " on [" << c.min << ", " << c.max << "]";
    }
}

TEST(MixerFunctions, NegativeIndexesDoNothing) {
    EXPECT_EQ(mixerRecordSourceCount(-1), 0);
    EXPECT_EQ(mixerRecordSourceName(-1, 0), "<MIXER INVALID>");
    EXPECT_EQ(mixerRecordSourceName(0, -1), "System Record Mixer");
    EXPECT_EQ(mixerRecordSourceName(-5, -1), "System Record Mixer");
    mixerSetRecordingInput(-1, 0, 0);
    mixerSetRecordingInput(0, -1, 0);
    mixerSetPlaybackVolume(-1, 0);
}

TEST(MixerFunctions, ASourceBeyondTheCardsSourcesIsInvalid) {
    const int count = mixerRecordSourceCount(0);
    EXPECT_GE(count, 0);
    EXPECT_LE(count, 127);
    EXPECT_EQ(mixerRecordSourceName(0, count), "<MIXER INVALID>");
    EXPECT_EQ(mixerRecordSourceName(0, 126), count > 126 ? mixerRecordSourceName(0, 126) : "<MIXER INVALID>");
    EXPECT_EQ(mixerRecordSourceName(99, 0), "<MIXER INVALID>") << "a device that names no card";
}

}  // namespace
}  // namespace typix
