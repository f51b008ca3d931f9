#include "app/Folders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "app/AppTestFolder.h"

namespace typix {
namespace {

using apptest::ScopedEnv;
using apptest::TestFolder;
using apptest::writeBytes;

// Points every location the lookup consults into a fresh folder.
class FoldersTest : public ::testing::Test {
protected:
    TestFolder temp;
    ScopedEnv data{"XDG_DATA_HOME", temp.folder() + "share"};
    ScopedEnv config{"XDG_CONFIG_HOME", temp.folder() + "config"};
    ScopedEnv named{"TYPIX_FOLDERS", std::nullopt};

    std::string base() const { return temp.folder() + "share/Korvel Typix"; }
    void writeUserIni(const std::string& text) {
        temp.subfolder("config/korvel-typix");
        writeBytes(temp.file("config/korvel-typix/folders.ini"), text);
    }
};

TEST_F(FoldersTest, WithoutFoldersIniEverythingLivesInTheDefaultBase) {
    const FolderPaths paths = resolveFolders("/opt/typix/");
    EXPECT_EQ(paths.programFolder, "/opt/typix/");
    EXPECT_EQ(paths.dataFolder, base() + "/");
    EXPECT_EQ(paths.settingsFile, base() + "/settings.ini");
    EXPECT_EQ(paths.currentFiles, base() + "/Current Files/");
    EXPECT_EQ(paths.doneFiles, base() + "/Done Files/");
    EXPECT_EQ(paths.incomingFiles, base() + "/Incoming Files/");
    EXPECT_EQ(paths.statusFolder, base() + "/Status/");
}

TEST_F(FoldersTest, UserFoldersIniOverridesEachValueAndCrLfFilesWork) {
    writeUserIni("[Folders]\r\nDataFiles=/srv/typix\r\nCurrent Files = /srv/queue/\r\n"
                 "ProgramFiles=/usr/lib/typix\r\n");
    const FolderPaths paths = resolveFolders("/opt/typix/");
    EXPECT_EQ(paths.programFolder, "/usr/lib/typix/");
    EXPECT_EQ(paths.dataFolder, "/srv/typix/");
    EXPECT_EQ(paths.settingsFile, "/srv/typix/settings.ini");
    EXPECT_EQ(paths.currentFiles, "/srv/queue/");
    // A value left out keeps the default under the base, not under DataFiles.
    EXPECT_EQ(paths.doneFiles, base() + "/Done Files/");
}

TEST_F(FoldersTest, TypixFoldersNamesAnotherFileAndWinsOverTheUserFile) {
    writeUserIni("[Folders]\nDataFiles=/from/user\n");
    writeBytes(temp.file("other.ini"), "[folders]\ndatafiles=/from/other\nstatus=relative/status\n");
    ScopedEnv other("TYPIX_FOLDERS", temp.file("other.ini"));
    EXPECT_EQ(foldersIniPath(), temp.file("other.ini"));
    const FolderPaths paths = resolveFolders("/opt/typix/");
    EXPECT_EQ(paths.dataFolder, "/from/other/");
    // Relative values are taken relative to the program folder.
    EXPECT_EQ(paths.statusFolder, "/opt/typix/relative/status/");
}

TEST_F(FoldersTest, MissingTypixFoldersFileGivesDefaults) {
    writeUserIni("[Folders]\nDataFiles=/from/user\n");
    ScopedEnv other("TYPIX_FOLDERS", temp.file("absent.ini"));
    EXPECT_EQ(resolveFolders("/x/").dataFolder, base() + "/");
}

TEST_F(FoldersTest, StartUpCreatesEveryMissingDataFolder) {
    const FolderPaths paths = resolveFolders("/opt/typix/");
    ASSERT_FALSE(std::filesystem::exists(paths.dataFolder));
    EXPECT_TRUE(createDataFolders(paths));
    for (const auto& folder :
         {paths.dataFolder, paths.currentFiles, paths.doneFiles, paths.incomingFiles, paths.statusFolder})
        EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
    EXPECT_TRUE(createDataFolders(paths));  // a second start finds them all
}

TEST_F(FoldersTest, FoldersTheProgramMakesArePrivateAndExistingOnesKeepTheirMode) {
    const mode_t oldMask = ::umask(0002);
    FolderPaths paths = resolveFolders("/opt/typix/");
    const std::string shared = temp.file("shared");
    std::filesystem::create_directories(shared);
    std::filesystem::permissions(shared, std::filesystem::perms(0775));
    paths.statusFolder = shared + "/";
    paths.incomingFiles = temp.file("new/parents/Incoming Files/");
    EXPECT_TRUE(createDataFolders(paths));
    ::umask(oldMask);
    const auto mode = [](const std::string& folder) {
        return std::filesystem::status(folder).permissions();
    };
    for (const auto& folder : {paths.dataFolder, paths.currentFiles, paths.doneFiles,
                               paths.incomingFiles})
        EXPECT_EQ(mode(folder), std::filesystem::perms(0700)) << folder;
    EXPECT_EQ(mode(shared), std::filesystem::perms(0775));
    // Folders above a data folder are not the program's: they get the usual mode.
    EXPECT_EQ(mode(temp.file("new/parents")), std::filesystem::perms(0775));
}

TEST_F(FoldersTest, UncreatableFolderIsReportedButPathsStayFormed) {
    writeBytes(temp.file("blocker"), "a file where a folder should be");
    FolderPaths paths = resolveFolders("/opt/typix/");
    paths.currentFiles = temp.file("blocker") + "/Current Files/";
    EXPECT_FALSE(createDataFolders(paths));
    EXPECT_TRUE(std::filesystem::is_directory(paths.doneFiles));
}

}  // namespace
}  // namespace typix
