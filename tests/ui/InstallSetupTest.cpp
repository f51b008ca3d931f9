// The setup file and the uninstaller run as real processes in a temporary
// HOME whose XDG folders, temporary folder and udev rules folder all lie in
// the test's folder; the licence and the question are answered by
// TYPIX_ASSUME_YES=1 and the installed program is not started.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/AppTestFolder.h"
#include "app/InstallLocations.h"
#include "app/InstallSetupFile.h"
#include "app/InstallSystemTools.h"
#include "support/IniFile.h"

namespace typix {
namespace {

using apptest::exists;
using apptest::readBytes;
using apptest::TestFolder;
using apptest::writeBytes;

namespace fs = std::filesystem;

class InstallSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = tmp_.subfolder("home");
        tmp_.subfolder("home/Desktop");
        tmp_.subfolder("tmp");
        tmp_.subfolder("rules.d");
        install_ = home_ + ".local/share/Korvel Typix/";
        setup_ = tmp_.file("typix-setup");
        fs::copy_file(std::string(TYPIX_BINARY_DIR) + "/typix-setup", setup_);
    }

    // Runs `program` with the test's environment; the exit code, or -1.
    int run(const std::string& program, const QStringList& arguments = {},
            const QStringList& extraEnv = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", QString::fromStdString(tmp_.folder() + "home"));
        env.insert("XDG_DATA_HOME", QString::fromStdString(home_ + ".local/share"));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(home_ + ".config"));
        env.insert("TMPDIR", QString::fromStdString(tmp_.folder() + "tmp"));
        // The installer asks a running program to close: only the test's own.
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(tmp_.folder() + "tmp"));
        env.insert("TYPIX_UDEV_RULES_DIR", QString::fromStdString(tmp_.folder() + "rules.d"));
        env.insert("TYPIX_ASSUME_YES", "1");
        env.insert("TYPIX_NO_LAUNCH", "1");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("TYPIX_FOLDERS");
        env.remove("TYPIX_REMOVE_DICTATIONS");
        for (const QString& setting : extraEnv)
            env.insert(setting.section('=', 0, 0), setting.section('=', 1));
        process.setProcessEnvironment(env);
        process.start(QString::fromStdString(program), arguments);
        if (!process.waitForFinished(60000)) return -1;
        stderr_ = process.readAllStandardError().toStdString();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // Runs the installed uninstaller and waits until its temporary copy has
    // removed the program.
    void uninstall(const QStringList& extraEnv = {}) {
        ASSERT_EQ(run(install_ + "uninst", {}, extraEnv), 0) << stderr_;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while ((exists(install_ + "typix") || exists(install_ + "uninst")) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    // A typist's data folder: a queued dictation with typing, a finished one,
    // a package waiting, a status file, the settings and a file of the user's.
    void fillDataFolder() {
        writeBytes(install_ + "Current Files/dct00012-00345.wav", "RIFF");
        writeBytes(install_ + "Current Files/dct00012-00345.dat", "[file]\nname=Letter\n");
        writeBytes(install_ + "Current Files/dct00012-00345.txt", "Dear Sir,");
        writeBytes(install_ + "Done Files/Tape 3.wav", "RIFF");
        writeBytes(install_ + "Incoming Files/dct00012-00346.dct", "package");
        writeBytes(install_ + "Status/s0000012.sta", "status");
        writeBytes(install_ + "settings.ini", "[settings]\nslowspeed=40\n");
        writeBytes(install_ + "My notes.odt", "mine");
    }
    void expectProgramAndIntegrationGone() {
        for (const std::string& gone :
             {install_ + "typix", install_ + "uninst", install_ + "typix-help.html",
              data("applications/com.korvel.Typix.desktop"),
              data("applications/com.korvel.Typix.Help.desktop"),
              home_ + "Desktop/Korvel Typix.desktop", data("korvel-typix/uninstall.ini"),
              data("mime/packages/com.korvel.Typix.xml"),
              data("icons/hicolor/scalable/apps/com.korvel.Typix.svg"),
              tmp_.file("rules.d/60-typix-pedals.rules")})
            EXPECT_FALSE(exists(gone)) << gone;
        for (int size : kIconSizes) EXPECT_FALSE(exists(pngIcon(size))) << size;
        EXPECT_FALSE(fs::is_symlink(home_ + ".local/bin/typix"));
        EXPECT_EQ(iniRead(config("mimeapps.list"), "Default Applications",
                          "application/x-korvel-dictation").value_or(""),
                  "com.korvel.Typix.desktop;");
    }

    SetupTrailer trailerOf(const std::string& bytes) const {
        return decodeSetupTrailer(reinterpret_cast<const unsigned char*>(bytes.data()) +
                                  bytes.size() - kSetupTrailerSize);
    }
    std::string config(const std::string& name) const { return home_ + ".config/" + name; }
    std::string data(const std::string& name) const { return home_ + ".local/share/" + name; }
    std::string folderValue(const std::string& name) const {
        return iniRead(config("korvel-typix/folders.ini"), "Folders", name).value_or("<missing>");
    }
    std::string installFolder() const { return install_.substr(0, install_.size() - 1); }
    std::string pngIcon(int size) const {
        const std::string edge = std::to_string(size);
        return data("icons/hicolor/" + edge + "x" + edge + "/apps/com.korvel.Typix.png");
    }

    TestFolder tmp_;
    std::string home_, install_, setup_, stderr_;
};

TEST_F(InstallSetupTest, InstallsProgramHelpFoldersAndDesktopIntegration) {
    writeBytes(home_ + "Desktop/Korvel Scribe.desktop", "[Desktop Entry]\n");
    ASSERT_EQ(run(setup_), 0) << stderr_;

    const std::string setupBytes = readBytes(setup_);
    const SetupTrailer trailer = trailerOf(setupBytes);
    EXPECT_EQ(readBytes(install_ + "typix"), setupBytes.substr(0, trailer.sizes[0]));
    EXPECT_EQ(readBytes(install_ + "typix-help.html"),
              setupBytes.substr(trailer.sizes[0], trailer.sizes[1]));
    EXPECT_EQ(readBytes(install_ + "uninst"), readBytes(install_ + "typix"));
    EXPECT_EQ(::access((install_ + "typix").c_str(), X_OK), 0);
    EXPECT_EQ(fs::read_symlink(home_ + ".local/bin/typix"), install_ + "typix");

    EXPECT_EQ(folderValue("ProgramFiles"), installFolder());
    EXPECT_EQ(folderValue("DataFiles"), installFolder());
    for (const char* name : {"Current Files", "Done Files", "Incoming Files", "Status"}) {
        EXPECT_EQ(folderValue(name), install_ + name);
        EXPECT_TRUE(fs::is_directory(install_ + name)) << name;
    }

    const std::string menu = readBytes(data("applications/com.korvel.Typix.desktop"));
    EXPECT_NE(menu.find("Name=Korvel Typix\n"), std::string::npos);
    // The installation folder's name has a blank; the entry runs the link instead.
    EXPECT_NE(menu.find("Exec=" + home_ + ".local/bin/typix %f\n"), std::string::npos) << menu;
    EXPECT_NE(menu.find("MimeType=application/x-korvel-dictation;"), std::string::npos);
    const std::string help = readBytes(data("applications/com.korvel.Typix.Help.desktop"));
    EXPECT_NE(help.find("Name=Korvel Typix Help\n"), std::string::npos);
    EXPECT_NE(help.find(install_ + "typix-help.html"), std::string::npos);
    EXPECT_EQ(readBytes(home_ + "Desktop/Korvel Typix.desktop"), menu);
    EXPECT_FALSE(exists(home_ + "Desktop/Korvel Scribe.desktop"));

    const std::string record = data("korvel-typix/uninstall.ini");
    EXPECT_EQ(iniRead(record, "Uninstall", "DisplayName").value_or(""), "Korvel Typix Uninstall");
    EXPECT_EQ(iniRead(record, "Uninstall", "UninstallString").value_or(""), install_ + "uninst");

    const std::string mime = readBytes(data("mime/packages/com.korvel.Typix.xml"));
    EXPECT_NE(mime.find("<comment>Korvel Dictation File</comment>"), std::string::npos);
    EXPECT_NE(mime.find("<glob pattern=\"*.dct\"/>"), std::string::npos);
    EXPECT_EQ(iniRead(config("mimeapps.list"), "Default Applications",
                      "application/x-korvel-dictation").value_or(""),
              "com.korvel.Typix.desktop;");
    EXPECT_NE(readBytes(data("icons/hicolor/scalable/apps/com.korvel.Typix.svg")).find("<svg"),
              std::string::npos);
    for (int size : kIconSizes) {
        const QImage png(QString::fromStdString(pngIcon(size)), "PNG");
        EXPECT_EQ(png.size(), QSize(size, size)) << size;
        EXPECT_TRUE(png.hasAlphaChannel()) << size;
    }
    if (!findOnPath("update-mime-database").empty()) {
        EXPECT_TRUE(exists(data("mime/application/x-korvel-dictation.xml")));
    }
    EXPECT_TRUE(exists(tmp_.file("rules.d/60-typix-pedals.rules")));
}

TEST_F(InstallSetupTest, ACorruptSetupFileReportsTheChecksumErrorAndFinishesNothing) {
    const std::string good = readBytes(setup_);
    // A byte of size 1, of size 2, of the checksum, and one in the help document.
    for (size_t fromEnd : {size_t(12), size_t(5), size_t(1), size_t(200)}) {
        std::string bad = good;
        bad[bad.size() - fromEnd] ^= 0x10;
        writeBytes(setup_, bad);
        EXPECT_EQ(run(setup_), 1) << "byte " << fromEnd << " from the end";
        EXPECT_NE(stderr_.find("Install Error: Installation file corrupt.\n\nA checksum error was "
                               "detected in your install file, please redownload file and "
                               "install again."),
                  std::string::npos)
            << stderr_;
        EXPECT_FALSE(exists(install_ + "typix"));
        EXPECT_FALSE(exists(install_ + "uninst"));
        EXPECT_FALSE(exists(data("applications/com.korvel.Typix.desktop")));
        EXPECT_FALSE(exists(home_ + "Desktop/Korvel Typix.desktop"));
        EXPECT_FALSE(exists(data("korvel-typix/uninstall.ini")));
        EXPECT_FALSE(exists(data("mime/packages/com.korvel.Typix.xml")));
    }
}

TEST_F(InstallSetupTest, InstallingAgainKeepsTheFirstUninstallRecord) {
    ASSERT_EQ(run(setup_), 0) << stderr_;
    const std::string record = data("korvel-typix/uninstall.ini");
    ASSERT_TRUE(iniWrite(record, "Uninstall", "UninstallString", "/as/first/written"));
    writeBytes(install_ + "typix", "damaged");
    ASSERT_EQ(run(setup_), 0) << stderr_;
    EXPECT_EQ(iniRead(record, "Uninstall", "UninstallString").value_or(""), "/as/first/written");
    EXPECT_EQ(readBytes(install_ + "typix"), readBytes(setup_).substr(0, trailerOf(readBytes(setup_)).sizes[0]));
}

TEST_F(InstallSetupTest, InstallingAgainKeepsMovedFoldersAndWritesOnlyMissingValues) {
    ASSERT_EQ(run(setup_), 0) << stderr_;
    const std::string moved = tmp_.folder() + "srv/typix";
    const std::string ini = config("korvel-typix/folders.ini");
    ASSERT_TRUE(iniWrite(ini, "Folders", "DataFiles", moved));
    ASSERT_TRUE(iniWrite(ini, "Folders", "Current Files", moved + "/Current Files"));
    ASSERT_TRUE(iniWrite(ini, "Folders", "Done Files", moved + "/Done Files"));
    ASSERT_TRUE(iniRemove(ini, "Folders", "Status"));
    ASSERT_EQ(run(setup_), 0) << stderr_;
    EXPECT_EQ(folderValue("DataFiles"), moved);
    EXPECT_EQ(folderValue("Current Files"), moved + "/Current Files");
    EXPECT_EQ(folderValue("Done Files"), moved + "/Done Files");
    EXPECT_EQ(folderValue("Incoming Files"), install_ + "Incoming Files");
    EXPECT_EQ(folderValue("Status"), install_ + "Status");  // was missing
    EXPECT_EQ(folderValue("ProgramFiles"), installFolder());
    // A configured folder that was missing is made, private like the others.
    EXPECT_TRUE(fs::is_directory(moved + "/Current Files"));
    EXPECT_EQ(fs::status(moved + "/Current Files").permissions(), fs::perms(0700));
}

TEST_F(InstallSetupTest, TheFoldersTheInstallerMakesArePrivate) {
    ASSERT_EQ(run(setup_), 0) << stderr_;
    for (const std::string& folder : {installFolder(), install_ + "Current Files",
                                      install_ + "Done Files", install_ + "Incoming Files",
                                      install_ + "Status"})
        EXPECT_EQ(fs::status(folder).permissions(), fs::perms(0700)) << folder;
}

TEST_F(InstallSetupTest, UninstallingKeepsTheQueueTypingSettingsAndUserFiles) {
    ASSERT_EQ(run(setup_), 0) << stderr_;
    fillDataFolder();
    fs::create_directories(install_ + "Done Files/kept");
    writeBytes(install_ + "Done Files/kept/old.wav", "RIFF");

    uninstall();
    expectProgramAndIntegrationGone();
    for (const char* kept :
         {"Current Files/dct00012-00345.wav", "Current Files/dct00012-00345.dat",
          "Current Files/dct00012-00345.txt", "Done Files/Tape 3.wav",
          "Incoming Files/dct00012-00346.dct", "Status/s0000012.sta", "settings.ini",
          "My notes.odt", "Done Files/kept/old.wav"})
        EXPECT_TRUE(exists(install_ + kept)) << kept;
    EXPECT_EQ(readBytes(install_ + "Current Files/dct00012-00345.txt"), "Dear Sir,");
    EXPECT_EQ(folderValue("DataFiles"), installFolder());
    bool copyFound = false;
    for (const auto& entry : fs::directory_iterator(tmp_.folder() + "tmp"))
        copyFound = copyFound || exists(entry.path().string() + "/uninst");
    EXPECT_TRUE(copyFound);

    // Installing again finds the queue where it was.
    ASSERT_EQ(run(setup_), 0) << stderr_;
    EXPECT_EQ(folderValue("Current Files"), install_ + "Current Files");
    EXPECT_TRUE(exists(install_ + "Current Files/dct00012-00345.txt"));
}

TEST_F(InstallSetupTest, DeletingTheDictationsTooTakesOnlyTheProgramsOwnFiles) {
    ASSERT_EQ(run(setup_), 0) << stderr_;
    fillDataFolder();
    writeBytes(install_ + "Current Files/read me.txt", "mine too");

    uninstall({QStringLiteral("TYPIX_REMOVE_DICTATIONS=1")});
    expectProgramAndIntegrationGone();
    for (const char* gone :
         {"Current Files/dct00012-00345.wav", "Current Files/dct00012-00345.dat",
          "Current Files/dct00012-00345.txt", "Done Files", "Incoming Files", "Status",
          "settings.ini"})
        EXPECT_FALSE(exists(install_ + gone)) << gone;
    // The user's files stay, and so do the folders holding them.
    EXPECT_EQ(readBytes(install_ + "My notes.odt"), "mine");
    EXPECT_EQ(readBytes(install_ + "Current Files/read me.txt"), "mine too");
}

// A plain window manager: no desktop environment named, so xdg-open finds
// the type with the user's MIME database and runs the menu entry's Exec line
// itself, which must survive its word splitting.
TEST_F(InstallSetupTest, XdgOpenOfAPackageImportsItWithoutADesktopEnvironment) {
    if (findOnPath("xdg-open").empty() || findOnPath("mimetype").empty() ||
        findOnPath("update-mime-database").empty())
        GTEST_SKIP() << "xdg-utils, libfile-mimeinfo-perl or shared-mime-info missing";
    ASSERT_EQ(run(setup_), 0) << stderr_;
    const std::string package = tmp_.file("letter from Anne.dct");
    const std::string make = "/usr/bin/python3 '" + std::string(TYPIX_SOURCE_DIR) +
                             "/tests/data/make_package.py' '" + package +
                             "' --tone 8000:1:0.2 --sender 12 --number 345";
    ASSERT_EQ(std::system(make.c_str()), 0) << make;

    std::vector<std::string> variables = {
        "HOME=" + tmp_.folder() + "home",
        "XDG_DATA_HOME=" + home_ + ".local/share",
        "XDG_CONFIG_HOME=" + home_ + ".config",
        "XDG_RUNTIME_DIR=" + tmp_.folder() + "tmp",
        "TMPDIR=" + tmp_.folder() + "tmp",
        "PATH=/usr/local/bin:/usr/bin:/bin",
        // xdg-open only looks for an application where there is a display.
        "DISPLAY=:typix-test",
        "QT_QPA_PLATFORM=offscreen",
        "DBUS_SESSION_BUS_ADDRESS=unix:path=" + tmp_.folder() + "tmp/no-bus",
    };
    std::vector<char*> envp;
    for (std::string& v : variables) envp.push_back(v.data());
    envp.push_back(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setpgid(0, 0);  // the opener and the program it starts, ended together below
        const char* argv[] = {"xdg-open", package.c_str(), nullptr};
        ::execve("/usr/bin/xdg-open", const_cast<char**>(argv), envp.data());
        ::_exit(127);
    }
    ::setpgid(child, child);
    const std::string imported = install_ + "Current Files/dct00012-00345.wav";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    bool opener = true;
    while (!exists(imported) && std::chrono::steady_clock::now() < deadline) {
        if (opener && ::waitpid(child, &status, WNOHANG) == child) opener = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(exists(imported)) << "xdg-open " << (opener ? "still runs" : "ended");
    ::kill(-child, SIGTERM);
    for (int i = 0; i < 100 && opener; ++i) {
        if (::waitpid(child, &status, WNOHANG) == child) opener = false;
        else std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (opener) {
        ::kill(-child, SIGKILL);
        ::waitpid(child, &status, 0);
    }
}

}  // namespace
}  // namespace typix
