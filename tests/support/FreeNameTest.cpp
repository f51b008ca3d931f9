#include "support/FreeName.h"

#include <gtest/gtest.h>

#include <set>

namespace typix {
namespace {

TEST(FreeName, KeepsAFreeNameAndNumbersTakenOnes) {
    std::set<std::string> names;
    const auto taken = [&](const std::string& n) { return names.count(n) > 0; };
    EXPECT_EQ(freeName("dictation", ".dct", taken), "dictation.dct");
    names = {"dictation.dct", "dictation (2).dct"};
    EXPECT_EQ(freeName("dictation", ".dct", taken), "dictation (3).dct");
    EXPECT_EQ(freeName("Meeting 10:30", "", taken), "Meeting 10:30");
    EXPECT_EQ(freeName("x", ".wav", [](const std::string&) { return true; }), "");
}

TEST(FreeName, SplitsAtTheLastDotOnly) {
    EXPECT_EQ(splitExtension("a.b.dct"), std::make_pair(std::string("a.b"), std::string(".dct")));
    EXPECT_EQ(splitExtension(".profile"), std::make_pair(std::string(".profile"), std::string()));
    EXPECT_EQ(splitExtension("memo..dct"), std::make_pair(std::string("memo."), std::string(".dct")));
    EXPECT_EQ(splitExtension("plain"), std::make_pair(std::string("plain"), std::string()));
}

}  // namespace
}  // namespace typix
