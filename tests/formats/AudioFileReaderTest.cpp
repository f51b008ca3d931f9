// Reading every dictation format through the decoder library: the format of
// each file, its tags, and its samples against what the ffmpeg program
// decodes from the same file.
#include <gtest/gtest.h>

#include <vector>

#include "AudioTestFiles.h"
#include "formats/AudioFileReader.h"

namespace typix {
namespace {

using audiotest::AudioFiles;

struct Case {
    const char* file;
    int rate;
    int channels;
    const char* title;  // "" when the file has no tags
};

class EveryFormat : public testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        if (AudioFiles::folder().empty()) GTEST_SKIP() << "ffmpeg or sox could not make the test files";
    }
};

// Reads in blocks of an odd size, so that blocks never line up with frames.
std::vector<int16_t> readAll(AudioFileReader& reader, int64_t block = 1000) {
    std::vector<int16_t> all;
    std::vector<int16_t> buffer(size_t(block) * size_t(reader.info().channels));
    while (int64_t got = reader.read(buffer.data(), block))
        all.insert(all.end(), buffer.begin(), buffer.begin() + got * reader.info().channels);
    return all;
}

TEST_P(EveryFormat, DecodesAsTheFfmpegProgramDoes) {
    const Case& c = GetParam();
    std::string why;
    auto reader = AudioFileReader::open(AudioFiles::path(c.file), &why);
    ASSERT_TRUE(reader) << why;
    EXPECT_EQ(reader->info().sampleRate, c.rate);
    EXPECT_EQ(reader->info().channels, c.channels);
    EXPECT_EQ(reader->info().title, c.title);
    EXPECT_EQ(reader->info().artist, *c.title ? "Dr Ann Hale" : "");
    const std::vector<int16_t> samples = readAll(*reader);
    EXPECT_FALSE(reader->failed());
    EXPECT_EQ(samples, audiotest::readSamples(AudioFiles::path(std::string(c.file) + ".s16")));
    // About two seconds (encoders add a little padding at either end).
    const double seconds = double(samples.size()) / c.channels / c.rate;
    EXPECT_NEAR(seconds, 2.0, 0.1);
    EXPECT_EQ(reader->read(nullptr, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, EveryFormat,
    testing::Values(Case{"tone.mp3", 44100, 2, "Board minutes mp3"},
                    Case{"tone.m4a", 48000, 1, "Board minutes m4a"},
                    Case{"tone.ogg", 44100, 2, "Board minutes ogg"},
                    Case{"tone.opus", 48000, 1, "Board minutes opus"},
                    Case{"tone.flac", 44100, 2, "Board minutes flac"},
                    Case{"tone.wma", 44100, 2, "Board minutes wma"},
                    Case{"tone.webm", 48000, 2, "Board minutes webm"},
                    Case{"tone.mka", 22050, 1, "Board minutes mka"},
                    Case{"tone.amr", 8000, 1, ""},
                    Case{"plain.mp3", 16000, 1, ""}),
    [](const testing::TestParamInfo<Case>& info) {
        std::string name = info.param.file;
        for (char& ch : name) if (ch == '.') ch = '_';
        return name;
    });

class ReaderFiles : public testing::Test {
protected:
    void SetUp() override {
        if (AudioFiles::folder().empty()) GTEST_SKIP() << "ffmpeg or sox could not make the test files";
    }
};

TEST_F(ReaderFiles, LosslessFileGivesBackTheSourceSamplesExactly) {
    auto reader = AudioFileReader::open(AudioFiles::path("tone.flac"));
    ASSERT_TRUE(reader);
    EXPECT_EQ(readAll(*reader, 8192), audiotest::readSamples(AudioFiles::path("tone.flac.source.s16")));
}

TEST_F(ReaderFiles, FilesThatHoldNoAudioAreRefusedWithAReason) {
    std::string why;
    EXPECT_FALSE(AudioFileReader::open(AudioFiles::path("letter.mp3"), &why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(AudioFileReader::open(AudioFiles::path("no such file.mp3"), &why));
    EXPECT_FALSE(why.empty());
}

TEST_F(ReaderFiles, FileCutShortGivesTheAudioBeforeTheCut) {
    auto reader = AudioFileReader::open(AudioFiles::path("cut.mp3"));
    ASSERT_TRUE(reader);
    const std::vector<int16_t> samples = readAll(*reader);
    EXPECT_FALSE(reader->failed());
    // 9000 of about 24900 bytes at 96 kbit/s: about 0.7 s of two seconds.
    const double seconds = double(samples.size()) / 2 / 44100;
    EXPECT_GT(seconds, 0.5);
    EXPECT_LT(seconds, 1.0);
}

}  // namespace
}  // namespace typix
