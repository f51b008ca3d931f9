// Removal rules: the files of each folder go, sub-folders are never entered,
// the running file and protected folders stay, folders.ini and the .dct
// default stay.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/AppTestFolder.h"
#include "app/InstallLocations.h"
#include "app/UninstallSession.h"
#include "support/IniFile.h"

namespace typix {
namespace {

using apptest::exists;
using apptest::readBytes;
using apptest::ScopedEnv;
using apptest::TestFolder;
using apptest::writeBytes;

TEST(InstallRemoval, DeletesFilesButNeverDescendsIntoSubfolders) {
    TestFolder tmp;
    const std::string folder = tmp.subfolder("Done Files");
    writeBytes(folder + "a.wav", "a");
    writeBytes(folder + "a.dat", "b");
    tmp.subfolder("Done Files/archive");
    writeBytes(folder + "archive/old.wav", "c");
    EXPECT_EQ(removeFolderFiles(tmp.folder() + "Done Files", ""), 2);
    EXPECT_FALSE(exists(folder + "a.wav"));
    EXPECT_TRUE(exists(folder + "archive/old.wav"));
    EXPECT_TRUE(exists(folder));  // still holds its sub-folder

    const std::string empty = tmp.subfolder("Status");
    writeBytes(empty + "s0000012.sta", "x");
    EXPECT_EQ(removeFolderFiles(tmp.folder() + "Status", ""), 1);
    EXPECT_FALSE(exists(empty));
}

TEST(InstallRemoval, KeepsTheRunningFileUnderAnyOfItsNames) {
    TestFolder tmp;
    const std::string folder = tmp.subfolder("Korvel Typix");
    writeBytes(folder + "uninst", "me");
    ASSERT_EQ(::link((folder + "uninst").c_str(), (folder + "uninst-alias").c_str()), 0);
    writeBytes(folder + "typix", "program");
    EXPECT_EQ(removeFolderFiles(tmp.folder() + "Korvel Typix", folder + "uninst"), 1);
    EXPECT_TRUE(exists(folder + "uninst"));
    EXPECT_TRUE(exists(folder + "uninst-alias"));
    EXPECT_FALSE(exists(folder + "typix"));
}

TEST(InstallRemoval, LeavesTheHomeFolderAndMissingFoldersAlone) {
    TestFolder tmp;
    const std::string home = tmp.subfolder("home");
    writeBytes(home + ".profile", "keep");
    ScopedEnv homeEnv("HOME", tmp.folder() + "home");
    EXPECT_EQ(removeFolderFiles(tmp.folder() + "home", ""), 0);
    EXPECT_EQ(removeFolderFiles(home, ""), 0);  // the same folder, spelt with '/'
    EXPECT_TRUE(exists(home + ".profile"));
    EXPECT_EQ(removeFolderFiles(tmp.folder() + "nowhere", ""), 0);
    EXPECT_EQ(removeFolderFiles("", ""), 0);
}

// The installation layout: the data folders inside the installation folder,
// emptied in the order that lets the installation folder go last.
TEST(InstallRemoval, RemovesEveryFolderThatFoldersIniNames) {
    TestFolder tmp;
    const std::string base = tmp.folder() + "Korvel Typix";
    const std::string ini = tmp.file("folders.ini");
    for (const char* name : {"Current Files", "Done Files", "Incoming Files", "Status"}) {
        tmp.subfolder(std::string("Korvel Typix/") + name);
        writeBytes(base + "/" + name + "/file", "x");
        iniWrite(ini, "Folders", name, base + "/" + name);
    }
    writeBytes(base + "/typix", "program");
    writeBytes(base + "/settings.ini", "[settings]\n");
    iniWrite(ini, "Folders", "DataFiles", base);
    iniWrite(ini, "Folders", "ProgramFiles", base);
    // A relative value would depend on where the remover runs: it is skipped.
    tmp.subfolder("elsewhere");
    writeBytes(tmp.file("elsewhere/keep"), "k");
    iniWrite(ini, "Folders", "Status", "elsewhere");
    writeBytes(base + "/Status/file", "x");

    removeInstalledFolders(ini, "");
    EXPECT_FALSE(exists(base + "/Current Files"));
    EXPECT_FALSE(exists(base + "/typix"));
    EXPECT_TRUE(exists(base + "/Status/file"));  // not named any more
    EXPECT_TRUE(exists(tmp.file("elsewhere/keep")));
    EXPECT_TRUE(exists(ini));
}

// Every location inside the test's folder.
InstallLocations locationsUnder(const TestFolder& tmp) {
    InstallLocations at;
    at.installFolder = tmp.folder() + "Korvel Typix";
    at.binLink = tmp.file("bin/typix");
    at.applicationsFolder = tmp.folder() + "applications";
    at.desktopFolder = tmp.folder() + "Desktop";
    at.uninstallRecord = tmp.file("korvel-typix/uninstall.ini");
    at.mimeFolder = tmp.folder() + "mime";
    at.mimeappsList = tmp.file("mimeapps.list");
    at.iconsFolder = tmp.folder() + "icons/hicolor";
    at.foldersIni = tmp.file("folders.ini");
    at.udevRulesFolder = tmp.folder() + "rules.d";
    for (const char* folder : {"bin", "applications", "Desktop", "korvel-typix", "mime/packages"})
        tmp.subfolder(folder);
    return at;
}

TEST(InstallRemoval, DesktopIntegrationGoesButTheAssociationAndConfigStay) {
    TestFolder tmp;
    const InstallLocations at = locationsUnder(tmp);
    for (const std::string& file : {at.menuEntry(), at.helpMenuEntry(), at.launcher(),
                                    at.uninstallRecord, at.mimePackage(), at.mimeappsList,
                                    at.foldersIni})
        writeBytes(file, "x");
    std::filesystem::create_symlink(at.programFile(), at.binLink);
    writeBytes(at.desktopFolder + "/Other.desktop", "y");

    removeDesktopIntegration(at);
    for (const std::string& gone : {at.menuEntry(), at.helpMenuEntry(), at.launcher(),
                                    at.uninstallRecord, at.mimePackage(), at.binLink})
        EXPECT_FALSE(exists(gone) || std::filesystem::is_symlink(gone)) << gone;
    EXPECT_TRUE(exists(at.mimeappsList));
    EXPECT_TRUE(exists(at.foldersIni));
    EXPECT_TRUE(exists(at.desktopFolder + "/Other.desktop"));
}

TEST(InstallRemoval, ABinLinkToAnotherProgramIsKept) {
    TestFolder tmp;
    const InstallLocations at = locationsUnder(tmp);
    std::filesystem::create_symlink("/usr/bin/typix", at.binLink);
    removeDesktopIntegration(at);
    EXPECT_TRUE(std::filesystem::is_symlink(at.binLink));
}

}  // namespace
}  // namespace typix
