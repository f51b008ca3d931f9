#include "app/StartMode.h"

#include <gtest/gtest.h>

namespace typix {
namespace {

struct ModeCase {
    const char* executable;
    StartMode expected;
};

class StartModeTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(StartModeTest, NameChoosesMode) {
    EXPECT_EQ(startModeFromExecutable(GetParam().executable), GetParam().expected)
        << GetParam().executable;
}

INSTANTIATE_TEST_SUITE_P(
    Names, StartModeTest,
    ::testing::Values(ModeCase{"/opt/typix/setup.exe", StartMode::Install},
                      ModeCase{"Setup2.exe", StartMode::Install},
                      ModeCase{"./korvel-SeTuP", StartMode::Install},
                      ModeCase{"/usr/bin/uninst", StartMode::Remove},
                      ModeCase{"UnInstall.exe", StartMode::Remove},
                      ModeCase{"uninst-setup", StartMode::Install},  // both: installs
                      ModeCase{"/usr/bin/typix", StartMode::Program},
                      ModeCase{"/home/setup/bin/typix", StartMode::Program},  // folder ignored
                      ModeCase{"typix.setup", StartMode::Program},  // extension ignored
                      ModeCase{"", StartMode::Program}));

}  // namespace
}  // namespace typix
