// typixctl devices, play and record, run as the real program against ALSA's
// file PCMs (environment settings name the devices).
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "formats/WaveTestSupport.h"

namespace typix {
namespace {

using namespace test;

struct Result {
    int status;
    std::string out, err;
};

// Runs typixctl with `env` assignments in front, e.g. "TYPIX_OUTPUT_DEVICE=null".
Result run(const ScratchFolder& dir, const std::string& env, const std::string& args) {
    const std::string command = env + " TYPIX_DEVICE_CLOCK=20 " + TYPIX_BINARY_DIR + "/typixctl " + args +
                                " >" + dir.file("stdout") + " 2>" + dir.file("stderr");
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(dir.file("stdout")), readFile(dir.file("stderr"))};
}

std::vector<int16_t> ramp(int frames) {
    std::vector<int16_t> v;
    for (int i = 0; i < frames; ++i) v.push_back(static_cast<int16_t>(i * 3 - 9000));
    return v;
}

TEST(DevicesCommand, ListsDefaultFirstWithTheSystemRecordMixer) {
    ScratchFolder dir;
    const Result r = run(dir, "", "devices");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Output devices:\n  0  Default  [default]\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("Input devices:\n  0  Default  [default]\n       source -1  System Record Mixer\n"), std::string::npos);
    EXPECT_EQ(r.err, "") << "ALSA's own complaints stay quiet";
}

TEST(PlayCommand, PlaysFromTheGivenSecondToTheEnd) {
    ScratchFolder dir;
    const std::vector<int16_t> samples = ramp(6000);
    writeFile(dir.file("in.wav"), pcmWave(1, 8000, 16, samples16(samples)));
    const Result played = run(dir, "TYPIX_OUTPUT_DEVICE=\"file:'" + dir.file("out.raw") + "',raw\"",
                              "play " + dir.file("in.wav") + " --from 0.25");
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_EQ(readFile(dir.file("out.raw")),
              samples16(std::vector<int16_t>(samples.begin() + 2000, samples.end())));
    EXPECT_NE(played.out.find(" 0:00:00.8 /  0:00:00.8"), std::string::npos) << played.out;
}

TEST(PlayCommand, RejectsWhatItCannotPlay) {
    ScratchFolder dir;
    struct Case {
        std::string args;
        int status;
    };
    for (const Case& c : {Case{"play", 2}, Case{"play " + dir.file("none.wav"), 1},
                          Case{"play x.wav --speed 5", 2}, Case{"play x.wav --speed fast", 2},
                          Case{"record", 2}, Case{"record x.wav --activate 300", 2}}) {
        EXPECT_EQ(run(dir, "TYPIX_OUTPUT_DEVICE=null", c.args).status, c.status) << c.args;
    }
}

TEST(RecordCommand, RecordsTheSoundAndStopsAtTheMaximum) {
    ScratchFolder dir;
    std::vector<int16_t> signal(11025, 0);
    for (int i = 0; i < 11025 * 4; ++i) signal.push_back(i % 2 ? 8000 : -8000);
    signal.resize(signal.size() + 11025 * 4, 0);
    writeFile(dir.file("in.raw"), samples16(signal));
    writeFile(dir.file("asound.conf"), "</usr/share/alsa/alsa.conf>\npcm.typix_cli { type file slave.pcm null "
                                       "file \"/dev/null\" infile \"" + dir.file("in.raw") + "\" format raw }\n");
    const Result r = run(dir, "ALSA_CONFIG_PATH=" + dir.file("asound.conf") + " TYPIX_INPUT_DEVICE=typix_cli",
                         "record " + dir.file("out.wav") + " --max 1");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, " 0:00:00.0 listening\n 0:00:00.1 recording\n 0:00:01.0 stopped\n");
    const std::string wave = readFile(dir.file("out.wav"));
    ASSERT_GT(wave.size(), 46u);
    EXPECT_EQ(le32(wave, 24), 11025u) << "11025 Hz";
    // Activation writes half a block of pre-roll and the block (1653 frames),
    // then whole blocks until the time passes the maximum: 1653 + 9 * 1102.
    EXPECT_EQ((wave.size() - 46) / 2, 11571u);
}

}  // namespace
}  // namespace typix
