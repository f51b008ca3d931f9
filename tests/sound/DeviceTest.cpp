// The ALSA driver on its own: device lists, the override, clockless PCMs that
// play and capture at the pace of a real device, reset, and capture that
// drops audio when every buffer waits to be taken.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "DeviceTestSupport.h"
#include "sound/LSoundPlayer.h"
#include "sound/LSoundRecorder.h"
#include "sound/device/AlsaDevice.h"

namespace typix::test {
namespace {

TEST(DeviceList, DefaultComesFirstAndTheOverrideNamesIt) {
    unsetenv("TYPIX_OUTPUT_DEVICE");
    EXPECT_EQ(soundDriver().deviceNames(StreamDirection::Output).front(), "Default");
    EXPECT_EQ(LSoundPlayer::deviceName(0), "Default");
    EXPECT_EQ(LSoundPlayer::deviceName(-1), "Default");
    EXPECT_EQ(LSoundPlayer::deviceName(500), "");
    EXPECT_EQ(alsaPcmName(-1, StreamDirection::Output), "default");
    EXPECT_EQ(alsaPcmName(0, StreamDirection::Output), "default");
    EXPECT_EQ(alsaPcmName(500, StreamDirection::Output), "default") << "an unknown index opens the default";
    EXPECT_EQ(alsaControlName(-1, StreamDirection::Input), "");
    EXPECT_EQ(alsaControlName(0, StreamDirection::Input), "default");
    setenv("TYPIX_INPUT_DEVICE", "null", 1);
    EXPECT_EQ(LSoundRecorder::inputDeviceName(0), "null");
    EXPECT_EQ(alsaPcmName(3, StreamDirection::Input), "null");
    unsetenv("TYPIX_INPUT_DEVICE");
}

class ClocklessDevice : public ::testing::Test {
protected:
    void SetUp() override { setenv("TYPIX_DEVICE_CLOCK", "1", 1); }
    void TearDown() override {
        unsetenv("TYPIX_DEVICE_CLOCK");
        unsetenv("TYPIX_OUTPUT_DEVICE");
        unsetenv("TYPIX_INPUT_DEVICE");
    }
};

TEST_F(ClocklessDevice, OutputBlocksFinishAtThePaceOfTheClockNotAtOnce) {
    setenv("TYPIX_OUTPUT_DEVICE", "null", 1);
    std::vector<OutputBlock> blocks(3);  // outlive the stream that queues them
    std::string error;
    auto output = soundDriver().openOutput(0, PcmFormat{1, 8000}, &error);
    ASSERT_TRUE(output) << error;
    for (OutputBlock& block : blocks) {
        block.samples.assign(800, 1);
        output->write(block, 800);
        EXPECT_FALSE(block.done);
    }
    output->update();
    EXPECT_FALSE(blocks.back().done) << "300 ms of audio cannot have played yet";
    EXPECT_EQ(output->framesHandedOver(), 2400);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!blocks.back().done && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        output->update();
        // Blocks finish oldest first.
        EXPECT_TRUE(!blocks[2].done || blocks[1].done);
        EXPECT_TRUE(!blocks[1].done || blocks[0].done);
    }
    EXPECT_TRUE(blocks.back().done);
}

TEST_F(ClocklessDevice, ResetReturnsEveryQueuedBlockAndStartsCountingAgain) {
    setenv("TYPIX_OUTPUT_DEVICE", "null", 1);
    std::vector<OutputBlock> blocks(10);
    auto output = soundDriver().openOutput(0, PcmFormat{2, 44100}, nullptr);
    ASSERT_TRUE(output);
    for (OutputBlock& block : blocks) {
        block.samples.assign(8820, 0);
        output->write(block, 4410);
    }
    output->reset();
    for (const OutputBlock& block : blocks) EXPECT_TRUE(block.done);
    EXPECT_EQ(output->framesHandedOver(), 0);
    output->write(blocks[0], 100000);  // more than the block holds: only what it holds
    EXPECT_EQ(blocks[0].queuedFrames, 4410);
}

TEST_F(ClocklessDevice, CaptureDeliversBlocksInOrderAndDropsWhenNoBufferIsFree) {
    const std::filesystem::path folder = scratchFolder("capture-order");
    std::vector<int16_t> signal;
    for (int block = 0; block < 2000; ++block) signal.insert(signal.end(), 100, static_cast<int16_t>(block));
    writeRaw16(folder / "in.raw", signal);
    std::ofstream(folder / "asound.conf") << "</usr/share/alsa/alsa.conf>\npcm.typix_order {\n type file\n"
                                          << " slave.pcm null\n file \"/dev/null\"\n infile \""
                                          << (folder / "in.raw").string() << "\"\n format raw\n}\n";
    setenv("ALSA_CONFIG_PATH", (folder / "asound.conf").c_str(), 1);
    setenv("TYPIX_INPUT_DEVICE", "typix_order", 1);
    setenv("TYPIX_DEVICE_CLOCK", "50", 1);  // 100-frame blocks at 8000 Hz: 0.25 ms each
    std::atomic<int> filled{0};
    auto input = soundDriver().openInput(0, PcmFormat{1, 8000}, 100, 4, [&] { ++filled; }, nullptr);
    ASSERT_TRUE(input);
    while (filled.load() < 4) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // about 200 blocks go by unheard
    std::vector<int16_t> block;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(input->take(block));
        EXPECT_EQ(block, std::vector<int16_t>(100, static_cast<int16_t>(i)));
    }
    while (!input->take(block)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_GT(block[0], 5) << "blocks captured while every buffer waited were dropped";
    input.reset();
    unsetenv("ALSA_CONFIG_PATH");
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace typix::test
