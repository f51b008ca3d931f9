// Removal rules: the program and what the installer made go; the data folders
// stay unless the dictations are deleted too, and even then only the files the
// program names go; folders go only when empty; the running file, protected
// folders, folders.ini and the .dct default stay.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/AppTestFolder.h"
#include "app/InstallLocations.h"
#include "app/InstallPedalRule.h"
#include "app/UninstallSession.h"
#include "support/IniFile.h"

namespace typix {
namespace {

using apptest::exists;
using apptest::readBytes;
using apptest::ScopedEnv;
using apptest::TestFolder;
using apptest::writeBytes;

TEST(InstallRemoval, DictationFoldersLoseOnlyTheProgramsOwnFiles) {
    TestFolder tmp;
    const std::string current = tmp.subfolder("Current Files");
    for (const char* name : {"Smith: letter.wav", "Smith: letter.dat", "Smith: letter.txt",
                             "LOUD.WAV", "LOUD.dat", "orphan.txt", "orphan.dat", "notes.odt",
                             ".wav", "x.wav.bak"})
        writeBytes(current + name, "x");
    tmp.subfolder("Current Files/archive");
    writeBytes(current + "archive/old.wav", "c");
    EXPECT_EQ(removeDictationFiles(tmp.folder() + "Current Files", "Current Files"), 5);
    for (const char* gone : {"Smith: letter.wav", "Smith: letter.dat", "Smith: letter.txt",
                             "LOUD.WAV", "LOUD.dat"})
        EXPECT_FALSE(exists(current + gone)) << gone;
    // Not a dictation's file: typing or a record without audio, the user's own files.
    for (const char* kept : {"orphan.txt", "orphan.dat", "notes.odt", ".wav", "x.wav.bak",
                             "archive/old.wav"})
        EXPECT_TRUE(exists(current + kept)) << kept;

    const std::string incoming = tmp.subfolder("Incoming Files");
    for (const char* name : {"dct00012-00345.dct", "Meeting.wav", "report.pdf"})
        writeBytes(incoming + name, "x");
    EXPECT_EQ(removeDictationFiles(tmp.folder() + "Incoming Files", "Incoming Files"), 2);
    EXPECT_TRUE(exists(incoming + "report.pdf"));

    // Packages belong in Incoming Files only; status files in Status only.
    const std::string done = tmp.subfolder("Done Files");
    writeBytes(done + "kept.dct", "x");
    writeBytes(done + "s0000012.sta", "x");
    EXPECT_EQ(removeDictationFiles(tmp.folder() + "Done Files", "Done Files"), 0);

    const std::string status = tmp.subfolder("Status");
    for (const char* name : {"s0000012.sta", "s0000099.sta", "summary.txt"})
        writeBytes(status + name, "x");
    EXPECT_EQ(removeDictationFiles(tmp.folder() + "Status", "Status"), 2);
    EXPECT_TRUE(exists(status + "summary.txt"));

    const std::string data = tmp.subfolder("data");
    writeBytes(data + "settings.ini", "[settings]\n");
    writeBytes(data + "settings.ini.bak", "mine");
    EXPECT_EQ(removeDictationFiles(tmp.folder() + "data", "DataFiles"), 1);
    EXPECT_TRUE(exists(data + "settings.ini.bak"));
}

TEST(InstallRemoval, AFolderGoesOnlyWhenNothingIsLeftInIt) {
    TestFolder tmp;
    const std::string status = tmp.subfolder("Status");
    writeBytes(status + "s0000012.sta", "x");
    EXPECT_EQ(removeDictationFiles(tmp.folder() + "Status", "Status"), 1);
    EXPECT_FALSE(exists(status));

    const std::string done = tmp.subfolder("Done Files");
    writeBytes(done + "a.wav", "x");
    tmp.subfolder("Done Files/sub");
    EXPECT_EQ(removeDictationFiles(tmp.folder() + "Done Files", "Done Files"), 1);
    EXPECT_TRUE(exists(done + "sub"));
}

TEST(InstallRemoval, ProgramFilesGoButTheRunningFileAndTheDataStay) {
    TestFolder tmp;
    const std::string folder = tmp.subfolder("Korvel Typix");
    writeBytes(folder + "uninst", "me");
    ASSERT_EQ(::link((folder + "uninst").c_str(), (folder + "uninst-alias").c_str()), 0);
    for (const char* name : {"typix", "typix-help.html", "typix.part", "settings.ini", "mine.txt"})
        writeBytes(folder + name, "x");
    tmp.subfolder("Korvel Typix/Current Files");
    EXPECT_EQ(removeProgramFiles(tmp.folder() + "Korvel Typix", folder + "uninst"), 3);
    EXPECT_TRUE(exists(folder + "uninst"));
    EXPECT_TRUE(exists(folder + "uninst-alias"));
    EXPECT_FALSE(exists(folder + "typix"));
    EXPECT_FALSE(exists(folder + "typix-help.html"));
    EXPECT_FALSE(exists(folder + "typix.part"));
    EXPECT_TRUE(exists(folder + "settings.ini"));
    EXPECT_TRUE(exists(folder + "mine.txt"));
    EXPECT_TRUE(exists(folder + "Current Files"));

    const std::string lone = tmp.subfolder("lone");
    writeBytes(lone + "typix", "x");
    EXPECT_EQ(removeProgramFiles(tmp.folder() + "lone", ""), 1);
    EXPECT_FALSE(exists(lone));
}

TEST(InstallRemoval, LeavesTheHomeFolderAndMissingFoldersAlone) {
    TestFolder tmp;
    const std::string home = tmp.subfolder("home");
    writeBytes(home + "settings.ini", "keep");
    writeBytes(home + "typix", "keep");
    writeBytes(home + "a.wav", "keep");
    ScopedEnv homeEnv("HOME", tmp.folder() + "home");
    EXPECT_EQ(removeDictationFiles(tmp.folder() + "home", "DataFiles"), 0);
    EXPECT_EQ(removeDictationFiles(home, "Current Files"), 0);  // the same folder, spelt with '/'
    EXPECT_EQ(removeProgramFiles(home, ""), 0);
    for (const char* kept : {"settings.ini", "typix", "a.wav"}) EXPECT_TRUE(exists(home + kept));
    EXPECT_EQ(removeDictationFiles(tmp.folder() + "nowhere", "Status"), 0);
    EXPECT_EQ(removeDictationFiles("", "Status"), 0);
    EXPECT_EQ(removeProgramFiles("", ""), 0);
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
    for (const char* folder :
         {"bin", "applications", "Desktop", "korvel-typix", "mime/packages", "rules.d",
          "icons/hicolor/scalable/apps"})
        tmp.subfolder(folder);
    return at;
}

// A data folder pointed at the user's documents: the default removal leaves
// every file there; deleting the dictations takes only the dictations.
TEST(InstallRemoval, DataInTheUsersDocumentsFolderIsNeverSwept) {
    TestFolder tmp;
    const InstallLocations at = locationsUnder(tmp);
    ScopedEnv data("XDG_DATA_HOME", tmp.folder() + "share");
    const std::string docs = tmp.subfolder("Documents");
    iniWrite(at.foldersIni, "Folders", "DataFiles", tmp.folder() + "Documents");
    iniWrite(at.foldersIni, "Folders", "Current Files", tmp.folder() + "Documents/");
    for (const char* name : {"settings.ini", "d1.wav", "d1.txt", "tax return.pdf", "cv.txt"})
        writeBytes(docs + name, "x");
    writeBytes(tmp.subfolder("Korvel Typix") + "typix", "program");

    removeInstallation(at, "", /*deleteDictations=*/false);
    for (const char* kept : {"settings.ini", "d1.wav", "d1.txt", "tax return.pdf", "cv.txt"})
        EXPECT_TRUE(exists(docs + kept)) << kept;
    EXPECT_FALSE(exists(at.programFile()));

    removeInstallation(at, "", /*deleteDictations=*/true);
    for (const char* gone : {"settings.ini", "d1.wav", "d1.txt"})
        EXPECT_FALSE(exists(docs + gone)) << gone;
    EXPECT_TRUE(exists(docs + "tax return.pdf"));
    EXPECT_TRUE(exists(docs + "cv.txt"));
    EXPECT_TRUE(exists(at.foldersIni));

    // The question lists the folders it would touch, defaults included.
    const std::string list = dataFolderList(at.foldersIni);
    EXPECT_NE(list.find("\n" + tmp.folder() + "Documents\n"), std::string::npos) << list;
    EXPECT_NE(list.find("\n" + tmp.folder() + "share/Korvel Typix/Done Files"), std::string::npos)
        << list;
}

TEST(InstallRemoval, DesktopIntegrationGoesButTheAssociationAndConfigStay) {
    TestFolder tmp;
    const InstallLocations at = locationsUnder(tmp);
    for (const std::string& file : {at.menuEntry(), at.helpMenuEntry(), at.launcher(),
                                    at.uninstallRecord, at.mimePackage(), at.mimeappsList,
                                    at.foldersIni, at.scalableIcon(), at.pngIcon(16),
                                    at.pngIcon(256)})
        writeBytes(file, "x");
    std::filesystem::create_symlink(at.programFile(), at.binLink);
    writeBytes(at.desktopFolder + "/Other.desktop", "y");

    removeDesktopIntegration(at);
    for (const std::string& gone : {at.menuEntry(), at.helpMenuEntry(), at.launcher(),
                                    at.uninstallRecord, at.mimePackage(), at.binLink,
                                    at.scalableIcon(), at.pngIcon(16), at.pngIcon(256)})
        EXPECT_FALSE(exists(gone) || std::filesystem::is_symlink(gone)) << gone;
    EXPECT_TRUE(exists(at.mimeappsList));
    EXPECT_TRUE(exists(at.foldersIni));
    EXPECT_TRUE(exists(at.desktopFolder + "/Other.desktop"));
}

TEST(InstallRemoval, ThePedalRuleGoesOnlyWhereTheInstallerPlacedItUnchanged) {
    TestFolder tmp;
    const InstallLocations at = locationsUnder(tmp);
    const std::string rule = at.udevRulesFolder + "/60-typix-pedals.rules";
    const auto install = [&](const std::string& text, bool recorded) {
        writeBytes(rule, text);
        std::filesystem::create_directories(std::filesystem::path(at.uninstallRecord).parent_path());
        writeBytes(at.uninstallRecord, "[Uninstall]\n");
        if (recorded) iniWrite(at.uninstallRecord, "Uninstall", kPedalRuleRecordKey, rule);
    };
    install(pedalRuleText(), /*recorded=*/false);  // put there by hand
    removeDesktopIntegration(at);
    EXPECT_TRUE(exists(rule));

    install(pedalRuleText() + "# local change\n", /*recorded=*/true);
    removeDesktopIntegration(at);
    EXPECT_TRUE(exists(rule));

    install(pedalRuleText(), /*recorded=*/true);
    removeDesktopIntegration(at);
    EXPECT_FALSE(exists(rule));
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
