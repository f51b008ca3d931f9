// The setup file and the uninstaller run as real processes in a temporary
// HOME whose XDG folders, temporary folder and udev rules folder all lie in
// the test's folder; the licence and the question are answered by
// TYPIX_ASSUME_YES=1 and the installed program is not started.
#include <gtest/gtest.h>

#include <QProcess>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "app/AppTestFolder.h"
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
    int run(const std::string& program, const QStringList& arguments = {}) {
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
        process.setProcessEnvironment(env);
        process.start(QString::fromStdString(program), arguments);
        if (!process.waitForFinished(60000)) return -1;
        stderr_ = process.readAllStandardError().toStdString();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
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
    EXPECT_NE(menu.find("Exec=\"" + install_ + "typix\" %f\n"), std::string::npos) << menu;
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

TEST_F(InstallSetupTest, UninstallerRemovesFromATemporaryCopyAndKeepsConfigAndAssociation) {
    ASSERT_EQ(run(setup_), 0) << stderr_;
    writeBytes(install_ + "Current Files/dct00012-00345.wav", "RIFF");
    writeBytes(install_ + "settings.ini", "[settings]\n");
    fs::create_directories(install_ + "Done Files/kept");
    writeBytes(install_ + "Done Files/kept/old.wav", "RIFF");

    ASSERT_EQ(run(install_ + "uninst"), 0) << stderr_;
    // The temporary copy works on its own; wait until it has emptied the installation.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((exists(install_ + "typix") || exists(install_ + "uninst")) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    for (const std::string& gone :
         {install_ + "typix", install_ + "uninst", install_ + "typix-help.html",
          install_ + "settings.ini", install_ + "Current Files", install_ + "Status",
          data("applications/com.korvel.Typix.desktop"),
          data("applications/com.korvel.Typix.Help.desktop"), home_ + "Desktop/Korvel Typix.desktop",
          data("korvel-typix/uninstall.ini"), data("mime/packages/com.korvel.Typix.xml")})
        EXPECT_FALSE(exists(gone)) << gone;
    EXPECT_FALSE(fs::is_symlink(home_ + ".local/bin/typix"));
    // A folder holding a sub-folder stays, and so does the installation folder around it.
    EXPECT_TRUE(exists(install_ + "Done Files/kept/old.wav"));
    EXPECT_EQ(folderValue("DataFiles"), installFolder());
    EXPECT_EQ(iniRead(config("mimeapps.list"), "Default Applications",
                      "application/x-korvel-dictation").value_or(""),
              "com.korvel.Typix.desktop;");
    bool copyFound = false;
    for (const auto& entry : fs::directory_iterator(tmp_.folder() + "tmp"))
        copyFound = copyFound || exists(entry.path().string() + "/uninst");
    EXPECT_TRUE(copyFound);
}

}  // namespace
}  // namespace typix
