// Mixer values: the decibel mapping and the scaling onto a control's range
// are exact; on a machine without the card every function stays silent.
#include <gtest/gtest.h>

#include <cstdlib>

#include "sound/Mixer.h"
#include "sound/device/AlsaDevice.h"

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

namespace typix {
namespace {

MixerElementInfo element(const char* name, bool volume, bool sw) {
    MixerElementInfo e;
    e.name = name;
    e.captureVolume = volume;
    e.captureSwitch = sw;
    return e;
}

MixerElementInfo selector(const char* name, std::vector<std::string> items) {
    MixerElementInfo e;
    e.name = name;
    e.enumerated = true;
    e.enumeratedCapture = true;
    e.items = std::move(items);
    return e;
}

TEST(MixerRecordSources, AnInputSourceSelectorListsItsItems) {
    // A laptop codec: one "Input Source" control picks the input; "Line
    // Boost" is a gain switch, not an input.
    const MixerRecordSources sources = mixerRecordSources(
        {element("Capture", true, true), element("Line Boost", true, false),
         selector("Input Source", {"Mic", "Line", "Internal Mic"}), element("Mic Boost", true, false)});
    EXPECT_EQ(sources.names, (std::vector<std::string>{"Mic", "Line", "Internal Mic"}));
    EXPECT_EQ(sources.selector, 2);
    EXPECT_TRUE(sources.elements.empty());
}

TEST(MixerRecordSources, WithoutASelectorThePlainCaptureElementsAreTheSources) {
    MixerElementInfo playbackEnum;
    playbackEnum.name = "Channel Mode";
    playbackEnum.enumerated = true;
    playbackEnum.items = {"2ch", "6ch"};
    const MixerRecordSources sources = mixerRecordSources(
        {element("Capture", true, true), element("Mic", true, true), element("Master", false, false),
         playbackEnum, element("Line", false, true)});
    EXPECT_EQ(sources.names, (std::vector<std::string>{"Mic", "Line"}));
    EXPECT_EQ(sources.elements, (std::vector<int>{1, 4}));
    EXPECT_EQ(sources.selector, -1);
}

TEST(MixerCardDevices, OnlyCardsOpenedDirectlyHaveTheirMixerSet) {
    for (const char* card : {"hw:0", "plughw:1", "plughw:CARD=PCH,DEV=0", "hw:CARD=Intel,DEV=3"}) {
        EXPECT_TRUE(alsaIsCardPcm(card)) << card;
    }
    for (const char* server : {"default", "pulse", "pipewire", "sysdefault:CARD=PCH", "null", "dmix"}) {
        EXPECT_FALSE(alsaIsCardPcm(server)) << server;
    }
    EXPECT_EQ(alsaCardControlOf("plughw:CARD=PCH,DEV=0"), "hw:CARD=PCH");
    EXPECT_EQ(alsaCardControlOf("plughw:1,0"), "hw:1");
    EXPECT_EQ(alsaCardControlOf("hw:2"), "hw:2");
    EXPECT_EQ(alsaCardControlOf("pulse"), "");
}

TEST(MixerCardDevices, AnOverridingPcmIsNeverACard) {
    setenv("TYPIX_OUTPUT_DEVICE", "pulse", 1);
    EXPECT_FALSE(mixerIsCardDevice(0, StreamDirection::Output));
    EXPECT_FALSE(mixerIsCardDevice(3, StreamDirection::Output));
    unsetenv("TYPIX_OUTPUT_DEVICE");
    EXPECT_FALSE(mixerIsCardDevice(0, StreamDirection::Output)) << "ALSA's default may be a server";
    EXPECT_FALSE(mixerIsCardDevice(-1, StreamDirection::Output));
}

}  // namespace
}  // namespace typix
