// Choosing the input device without hardware: the capability predicates, the
// event mapping, and drivers over a folder without devices.
#include <gtest/gtest.h>

#include <linux/input.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "pedal/EvdevDevice.h"
#include "pedal/EvdevJoystick.h"
#include "pedal/PedalDriver.h"

using namespace typix;

namespace {

EvdevInfo device(std::initializer_list<int> keys, std::initializer_list<int> axes) {
    EvdevInfo info;
    for (int k : keys) info.keys.set(size_t(k));
    for (int a : axes) info.axes.set(size_t(a));
    return info;
}

TEST(EvdevDevice, WhatCountsAsAJoystick) {
    EXPECT_TRUE(isJoystick(device({BTN_TRIGGER}, {})));
    EXPECT_TRUE(isJoystick(device({BTN_SOUTH}, {ABS_X, ABS_Y})));
    EXPECT_TRUE(isJoystick(device({}, {ABS_RZ})));
    EXPECT_TRUE(isJoystick(device({}, {ABS_X, ABS_Y})));
    EXPECT_FALSE(isJoystick(device({BTN_TOUCH, BTN_TOOL_FINGER}, {ABS_X, ABS_Y})))
        << "touchpad";
    EXPECT_FALSE(isJoystick(device({BTN_TOOL_PEN}, {ABS_X, ABS_Y}))) << "tablet";
    EXPECT_FALSE(isJoystick(device({KEY_A, KEY_B}, {}))) << "keyboard";
    EXPECT_FALSE(isJoystick(device({BTN_LEFT}, {}))) << "mouse";
    EvdevInfo sensor = device({}, {ABS_X, ABS_Y, ABS_Z});
    sensor.accelerometer = true;
    EXPECT_FALSE(isJoystick(sensor));
}

TEST(EvdevDevice, TranscriptionPedalsByIdOrThreeButtons) {
    EXPECT_TRUE(isKnownUsbPedal(0x05f3, 0x00ff));
    EXPECT_FALSE(isKnownUsbPedal(0x05f3, 0x0001));
    EXPECT_FALSE(isKnownUsbPedal(0x046d, 0x00ff));
    EXPECT_TRUE(hasThreePedalButtons(device({BTN_0, BTN_1, BTN_2}, {})));
    EXPECT_FALSE(hasThreePedalButtons(device({BTN_0, BTN_1}, {})));
    EXPECT_FALSE(hasThreePedalButtons(device({BTN_TRIGGER, BTN_THUMB, BTN_THUMB2}, {})));
}

TEST(EvdevDevice, EventsSetAxesAndTheFirstThreeButtons) {
    PedalPosition p;
    applyInputEvent(p, EV_ABS, ABS_X, 7);
    applyInputEvent(p, EV_ABS, ABS_Y, -8);
    applyInputEvent(p, EV_ABS, ABS_RZ, 9);
    applyInputEvent(p, EV_ABS, ABS_Z, 99);
    EXPECT_EQ(p.x, 7);
    EXPECT_EQ(p.y, -8);
    EXPECT_EQ(p.r, 9);
    struct Row { uint16_t code; uint32_t bit; };
    for (Row r : {Row{BTN_0, 1}, Row{BTN_1, 2}, Row{BTN_2, 4}, Row{BTN_TRIGGER, 1},
                  Row{BTN_THUMB, 2}, Row{BTN_SOUTH, 1}, Row{BTN_EAST, 2}, Row{BTN_3, 0},
                  Row{KEY_A, 0}}) {
        p.buttons = 0;
        applyInputEvent(p, EV_KEY, r.code, 1);
        EXPECT_EQ(p.buttons, r.bit) << r.code;
        applyInputEvent(p, EV_KEY, r.code, 0);
        EXPECT_EQ(p.buttons, 0u) << r.code;
    }
    std::bitset<kEvdevKeyCount> keys;
    keys.set(BTN_0);
    keys.set(BTN_2);
    EXPECT_EQ(pedalButtons(keys), 5u);
}

TEST(EvdevDevice, EventPathsInNumberOrderAndNoDeviceMeansNoPedal) {
    const char* tmp = std::getenv("TYPIX_TEST_TMP");
    std::filesystem::path base = tmp ? tmp : std::filesystem::temp_directory_path();
    std::filesystem::create_directories(base);
    std::string pattern = (base / "input-XXXXXX").string();
    std::string folder = mkdtemp(pattern.data());
    for (const char* name : {"event10", "event2", "event", "mouse0", "eventx", "event0"})
        std::ofstream(folder + "/" + name) << "not a device";
    std::vector<std::string> paths = inputEventPaths(folder);
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[0], folder + "/event0");
    EXPECT_EQ(paths[1], folder + "/event2");
    EXPECT_EQ(paths[2], folder + "/event10");

    PedalCaps caps;
    for (int type : {1, 5, 7}) {
        auto driver = makePedalDriver(type, folder.c_str());
        ASSERT_TRUE(driver) << type;
        EXPECT_FALSE(driver->open(caps)) << "plain files are no input devices, type " << type;
        PedalPosition p;
        EXPECT_FALSE(driver->read(p));
    }
    EXPECT_FALSE(makePedalDriver(0, folder.c_str()));
    EXPECT_FALSE(makePedalDriver(8, folder.c_str()));
    EXPECT_TRUE(inputEventPaths(folder + "/missing").empty());
    std::filesystem::remove_all(folder);
}

}  // namespace
