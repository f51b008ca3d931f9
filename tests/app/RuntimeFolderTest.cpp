#include "app/RuntimeFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/AppTestFolder.h"

namespace typix {
namespace {

using apptest::ScopedEnv;
using apptest::TestFolder;

const std::string kFallback = "/tmp/korvel-typix-" + std::to_string(::getuid()) + "/";

TEST(RuntimeFolder, IsTheSessionRuntimeFolderWhateverTmpdirSays) {
    TestFolder temp;
    ScopedEnv runtime{"XDG_RUNTIME_DIR", temp.folder() + "run"};
    temp.subfolder("run");
    for (const char* tmpdir : {"/tmp", "/var/tmp"}) {
        ScopedEnv tmp{"TMPDIR", std::string(tmpdir)};
        EXPECT_EQ(runtimeFolder(), temp.folder() + "run/");
    }
}

TEST(RuntimeFolder, WithoutAUsableRuntimeFolderTakesAPrivateFolderOfTheUser) {
    TestFolder temp;
    ScopedEnv tmp{"TMPDIR", temp.folder()};
    temp.subfolder("run");
    apptest::writeBytes(temp.file("plain file"), "x");
    // Unset, relative, missing, not a folder: none is taken.
    for (std::optional<std::string> value :
         {std::optional<std::string>(), std::optional<std::string>("run"),
          std::optional<std::string>(temp.folder() + "absent"),
          std::optional<std::string>(temp.file("plain file"))}) {
        ScopedEnv runtime{"XDG_RUNTIME_DIR", value};
        EXPECT_EQ(runtimeFolder(), kFallback) << value.value_or("(unset)");
    }
    struct stat info = {};
    ASSERT_EQ(::lstat(kFallback.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, ::getuid());
}

}  // namespace
}  // namespace typix
