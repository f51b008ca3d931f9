// Desktop integration of a per-user installation: Exec quoting, the shipped
// data files against what the installer writes, the desktop folder, stale
// launchers, the uninstall record and the pedal rule.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/AppTestFolder.h"
#include "app/InstallDesktopEntries.h"
#include "app/InstallLocations.h"
#include "app/InstallPedalRule.h"
#include "app/InstallRecord.h"
#include "app/InstallSystemTools.h"
#include "support/IniFile.h"

namespace typix {
namespace {

using apptest::exists;
using apptest::readBytes;
using apptest::ScopedEnv;
using apptest::TestFolder;
using apptest::writeBytes;

const std::string kData = std::string(TYPIX_SOURCE_DIR) + "/data/";

// Runs a validator on `file` when it is installed; "" when it passed or is absent.
std::string validate(const std::string& tool, const std::string& arguments, const std::string& file) {
    if (findOnPath(tool).empty()) return "";
    const std::string command = tool + " " + arguments + " '" + file + "' 2>&1";
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return "cannot run " + tool;
    char buffer[512];
    while (size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, got);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : output;
}

TEST(InstallDesktop, ExecArgumentsAreQuotedOnlyWhenNeeded) {
    const struct {
        const char* argument;
        const char* value;
    } cases[] = {
        {"/usr/bin/typix", "/usr/bin/typix"},
        {"/home/a b/Korvel Typix/typix", "\"/home/a b/Korvel Typix/typix\""},
        {"/home/x/100%/typix", "/home/x/100%%/typix"},
        // Inside quotes '$' and '"' get a backslash, which the entry's own
        // string escaping then doubles.
        {"/home/$x/typix", "\"/home/\\\\$x/typix\""},
        {"/home/say \"hi\"/typix", "\"/home/say \\\\\"hi\\\\\"/typix\""},
        {"/home/back\\slash/typix", "\"/home/back\\\\\\\\slash/typix\""},
    };
    for (const auto& c : cases) EXPECT_EQ(quoteExecArgument(c.argument), c.value) << c.argument;
}

TEST(InstallDesktop, ShippedFilesMatchWhatTheInstallerWrites) {
    EXPECT_EQ(readBytes(kData + "com.korvel.Typix.xml"), dictationMimeXml());
    EXPECT_EQ(readBytes(kData + "60-typix-pedals.rules"), pedalRuleText());
    const std::string shipped = readBytes(kData + "com.korvel.Typix.desktop");
    std::string written = programDesktopEntry("typix");
    EXPECT_EQ(shipped, written);
}

// The help tells how to place the rule by hand; its line must be the rule's.
TEST(InstallDesktop, HelpDocumentCarriesThePedalRule) {
    const std::string help = readBytes(std::string(TYPIX_SOURCE_DIR) +
                                       "/src/ui/resources/help/typix-help.html");
    const std::string rule = pedalRuleText();
    const std::string ruleLine = rule.substr(rule.find("ACTION=="));
    EXPECT_NE(help.find("<pre>" + ruleLine.substr(0, ruleLine.size() - 1) + "</pre>"),
              std::string::npos);
    EXPECT_NE(help.find("/etc/udev/rules.d/60-typix-pedals.rules"), std::string::npos);
}

TEST(InstallDesktop, EntriesAndMetainfoPassTheValidators) {
    TestFolder tmp;
    writeBytes(tmp.file("com.korvel.Typix.desktop"), programDesktopEntry("/opt/Korvel Typix/typix"));
    writeBytes(tmp.file("com.korvel.Typix.Help.desktop"),
               helpDesktopEntry("/opt/Korvel Typix/typix-help.html"));
    for (const std::string& file : {kData + "com.korvel.Typix.desktop",
                                    tmp.file("com.korvel.Typix.desktop"),
                                    tmp.file("com.korvel.Typix.Help.desktop")}) {
        EXPECT_EQ(validate("desktop-file-validate", "", file), "") << file;
    }
    EXPECT_EQ(validate("appstreamcli", "validate --no-net",
                       std::string(TYPIX_BINARY_DIR) + "/data/com.korvel.Typix.metainfo.xml"),
              "");
}

TEST(InstallDesktop, DesktopFolderComesFromUserDirsAndMustExist) {
    TestFolder tmp;
    ScopedEnv home("HOME", tmp.folder() + "home");
    ScopedEnv config("XDG_CONFIG_HOME", tmp.folder() + "config");
    tmp.subfolder("config");
    EXPECT_EQ(xdgDesktopFolder(), "");  // no user-dirs.dirs and no ~/Desktop
    tmp.subfolder("home/Desktop");
    EXPECT_EQ(xdgDesktopFolder(), tmp.folder() + "home/Desktop");
    writeBytes(tmp.file("config/user-dirs.dirs"),
               "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    EXPECT_EQ(xdgDesktopFolder(), "");  // named, but not there
    tmp.subfolder("home/Schreibtisch");
    EXPECT_EQ(xdgDesktopFolder(), tmp.folder() + "home/Schreibtisch");
}

TEST(InstallDesktop, StaleLaunchersOfSiblingProgramsAreRemovedByNameOnly) {
    TestFolder tmp;
    // The desktop folder's own path contains a sibling name: that must not count.
    const std::string desktop = tmp.subfolder("Korvel Scribe Desktop");
    for (const char* name : {"Korvel Scribe.desktop", "old korvel dictate 2.DESKTOP",
                             "Korvel Typix.desktop", "Korvel Scribe notes.txt", "Editor.desktop"})
        writeBytes(desktop + name, "[Desktop Entry]\n");
    EXPECT_EQ(removeStaleLaunchers(tmp.folder() + "Korvel Scribe Desktop"), 2);
    EXPECT_FALSE(exists(desktop + "Korvel Scribe.desktop"));
    EXPECT_FALSE(exists(desktop + "old korvel dictate 2.DESKTOP"));
    for (const char* kept : {"Korvel Typix.desktop", "Korvel Scribe notes.txt", "Editor.desktop"})
        EXPECT_TRUE(exists(desktop + kept)) << kept;
    EXPECT_EQ(removeStaleLaunchers(""), 0);
}

TEST(InstallDesktop, UninstallRecordKeepsItsFirstValues) {
    TestFolder tmp;
    const std::string record = tmp.file("korvel-typix/uninstall.ini");
    EXPECT_TRUE(writeUninstallRecordIfNew(record, "/first/uninst"));
    EXPECT_FALSE(writeUninstallRecordIfNew(record, "/second/uninst"));
    EXPECT_EQ(iniRead(record, kUninstallSection, "UninstallString").value_or(""), "/first/uninst");
    EXPECT_EQ(iniRead(record, kUninstallSection, "DisplayName").value_or(""),
              "Korvel Typix Uninstall");
}

TEST(InstallDesktop, PedalRuleNeedsAWritableRulesFolder) {
    TestFolder tmp;
    EXPECT_EQ(placePedalRule(tmp.folder() + "no-udev/rules.d"), PedalRuleResult::NoRights);
    EXPECT_FALSE(exists(tmp.folder() + "no-udev"));
    const std::string rules = tmp.subfolder("rules.d");
    EXPECT_EQ(placePedalRule(tmp.folder() + "rules.d"), PedalRuleResult::Placed);
    const std::string rule = readBytes(rules + "60-typix-pedals.rules");
    EXPECT_NE(rule.find("ATTRS{idVendor}==\"05f3\", ATTRS{idProduct}==\"00ff\""), std::string::npos);
    EXPECT_NE(rule.find("TAG+=\"uaccess\""), std::string::npos);
}

TEST(InstallDesktop, AssociationMakesTheProgramTheDefaultAndKeepsOtherDefaults) {
    TestFolder tmp;
    InstallLocations at;
    at.mimeFolder = tmp.folder() + "mime";
    at.iconsFolder = tmp.folder() + "icons/hicolor";
    at.mimeappsList = tmp.file("config/mimeapps.list");
    tmp.subfolder("config");
    writeBytes(at.mimeappsList, "[Default Applications]\ntext/plain=editor.desktop\n");
    ASSERT_TRUE(writeDictationAssociation(at, "<svg/>"));
    EXPECT_EQ(iniRead(at.mimeappsList, "Default Applications", kDictationMimeType).value_or(""),
              "com.korvel.Typix.desktop;");
    EXPECT_EQ(iniRead(at.mimeappsList, "Default Applications", "text/plain").value_or(""),
              "editor.desktop");
    EXPECT_EQ(readBytes(at.mimePackage()), dictationMimeXml());
    EXPECT_EQ(readBytes(at.scalableIcon()), "<svg/>");
}

// Menu entries run the ~/.local/bin link only while it is this installation's.
TEST(InstallDesktop, EntriesRunTheBinLinkOnlyWhenItIsTheInstallationsOwn) {
    TestFolder tmp;
    InstallLocations at;
    at.installFolder = tmp.subfolder("Korvel Typix");
    at.installFolder.pop_back();
    at.binLink = tmp.subfolder("bin") + "typix";
    at.applicationsFolder = tmp.folder() + "applications";
    writeBytes(at.programFile(), "program");
    const struct {
        const char* linkTarget;  // nullptr: no link; "": a plain file of someone else's
        bool runsLink;
    } cases[] = {{nullptr, false}, {"", false}, {"/usr/bin/other", false}, {"own", true}};
    for (const auto& c : cases) {
        std::filesystem::remove(at.binLink);
        if (c.linkTarget && !*c.linkTarget) writeBytes(at.binLink, "#!/bin/sh\n");
        else if (c.linkTarget)
            std::filesystem::create_symlink(std::string(c.linkTarget) == "own" ? at.programFile()
                                                                              : c.linkTarget,
                                            at.binLink);
        const std::string expected = c.runsLink ? at.binLink : at.programFile();
        EXPECT_EQ(launchCommand(at), expected) << (c.linkTarget ? c.linkTarget : "no link");
        ASSERT_TRUE(writeMenuEntries(at));
        EXPECT_NE(readBytes(at.menuEntry()).find("Exec=" + quoteExecArgument(expected) + " %f\n"),
                  std::string::npos);
    }
}

TEST(InstallDesktop, PngIconsGoToTheirHicolorSizeFolders) {
    TestFolder tmp;
    InstallLocations at;
    at.iconsFolder = tmp.folder() + "icons/hicolor";
    ASSERT_TRUE(writePngIcons(at, {{16, "png16"}, {256, "png256"}}));
    EXPECT_EQ(readBytes(tmp.file("icons/hicolor/16x16/apps/com.korvel.Typix.png")), "png16");
    EXPECT_EQ(readBytes(tmp.file("icons/hicolor/256x256/apps/com.korvel.Typix.png")), "png256");
    EXPECT_FALSE(writePngIcons(at, {{32, ""}}));  // an image that could not be drawn
    EXPECT_FALSE(exists(at.pngIcon(32)));
}

// The installer writes the sizes the package ships, and no others.
TEST(InstallDesktop, IconSizesAreThoseThePackageShips) {
    std::vector<int> shipped;
    for (const auto& entry : std::filesystem::directory_iterator(kData + "icons")) {
        if (!entry.is_directory()) continue;
        const std::string name = entry.path().filename().string();
        shipped.push_back(std::stoi(name.substr(0, name.find('x'))));
        EXPECT_TRUE(exists(entry.path().string() + "/com.korvel.Typix.png")) << name;
    }
    std::sort(shipped.begin(), shipped.end());
    EXPECT_EQ(shipped, std::vector<int>(std::begin(kIconSizes), std::end(kIconSizes)));
}

}  // namespace
}  // namespace typix
