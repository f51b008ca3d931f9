// The running window driven from the desktop: its media-player service on a
// private session bus (dbus-daemon started here), driven with playerctl, and
// the commands of `typix --command NAME`, all against a real typix process
// under the offscreen platform playing to ALSA's null device.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/AppTestFolder.h"
#include "store/DictationRecord.h"
#include "ui/MainWindowFixture.h"

namespace {

using typix::apptest::TestFolder;
using typix::apptest::writeBytes;
using typix::uitest::waitFor;

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "typix_test_ui";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QApplication(argc, argv);
    return *QCoreApplication::instance();
}

// A private session bus: dbus-daemon with its address read from a pipe.
class PrivateBus {
public:
    PrivateBus() {
        int out[2];
        if (::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile",
                     "--print-address=1", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        char buffer[512];
        std::string line;
        ssize_t got;
        while (line.find('\n') == std::string::npos && (got = ::read(out[0], buffer, sizeof buffer)) > 0)
            line.append(buffer, size_t(got));
        ::close(out[0]);
        address_ = line.substr(0, line.find('\n'));
    }
    ~PrivateBus() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& address() const { return address_; }

private:
    pid_t pid_ = -1;
    std::string address_;
};

bool haveTool(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

class DesktopControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        application();
        if (!haveTool("dbus-daemon") || !haveTool("playerctl"))
            GTEST_SKIP() << "dbus-daemon or playerctl is missing (scripts/install-deps installs them)";
        ASSERT_FALSE(bus.address().empty()) << "the private bus did not start";
        writeBytes(temp.file("folders.ini"), "[Folders]\nDataFiles=" + data + "\nCurrent Files=" +
                                                 current + "\nDone Files=" + done +
                                                 "\nIncoming Files=" + data + "incoming/\nStatus=" +
                                                 data + "status/\n");
        for (const std::string& f : {current, done, data + "incoming/", data + "status/",
                                     temp.folder() + "tmp/runtime"})
            std::filesystem::create_directories(f);
        std::filesystem::permissions(temp.folder() + "tmp/runtime", std::filesystem::perms::owner_all);
        addDictation("first", "Board minutes", "Dr Ann Hale", 1000);
        addDictation("second", "Ward round", "", 2000);
    }
    void TearDown() override {
        if (window_) {
            window_->kill();
            window_->waitForFinished(5000);
        }
        listener_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("test-bus"));
    }

    void addDictation(const std::string& base, const std::string& name, const std::string& sender,
                      int date) {
        typix::uitest::writeWave(current + base + ".wav", 11025, 1, 20.0);
        typix::DictationRecord record(current, base);
        record.setName(name);
        if (!sender.empty()) record.setSenderName(sender);
        record.setDate(date);
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("TYPIX_FOLDERS", QString::fromStdString(temp.file("folders.ini")));
        e.insert("TMPDIR", QString::fromStdString(temp.folder() + "tmp"));
        e.insert("XDG_RUNTIME_DIR", QString::fromStdString(temp.folder() + "tmp/runtime"));
        e.insert("QT_QPA_PLATFORM", "offscreen");
        e.insert("TYPIX_OUTPUT_DEVICE", "null");
        e.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromStdString(bus.address()));
        e.insert("HOME", QString::fromStdString(temp.folder() + "home"));
        e.insert("XDG_DATA_HOME", QString::fromStdString(temp.folder() + "home/share"));
        e.insert("XDG_CONFIG_HOME", QString::fromStdString(temp.folder() + "home/config"));
        return e;
    }

    // Runs a program to its end, serving this process's event loop meanwhile
    // (the bus listener's signals); its standard output, trimmed.
    std::string run(const QString& program, const QStringList& arguments, int* status = nullptr) {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.setWorkingDirectory(QString::fromStdString(temp.folder()));
        process.start(program, arguments);
        waitFor([&] { return process.state() == QProcess::NotRunning; }, 15000);
        if (status) *status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return process.readAllStandardOutput().trimmed().toStdString();
    }
    std::string player(const QStringList& arguments, int* status = nullptr) {
        return run(QStringLiteral("playerctl"), QStringList{"--player=typix"} + arguments, status);
    }
    int command(const QString& name) {
        int status = -1;
        run(typixPath(), {QStringLiteral("--command"), name}, &status);
        return status;
    }
    static QString typixPath() { return QStringLiteral(TYPIX_BINARY_DIR "/typix"); }

    void startWindow() {
        window_ = std::make_unique<QProcess>();
        window_->setProcessEnvironment(environment());
        window_->setWorkingDirectory(QString::fromStdString(temp.folder()));
        window_->setProcessChannelMode(QProcess::ForwardedChannels);
        window_->start(typixPath(), {});
        ASSERT_TRUE(waitFor([&] { return player({"status"}) != ""; }, 15000))
            << "the window never offered its player on the bus";
    }
    bool statusBecomes(const std::string& want) {
        return waitFor([&] { return player({"status"}) == want; }, 5000);
    }
    double position() { return std::stod("0" + player({"position"})); }

    // A connection of this process to the private bus.
    QDBusConnection testBus() {
        return QDBusConnection::connectToBus(QString::fromStdString(bus.address()), QStringLiteral("test-bus"));
    }
    QVariant property(const char* name) {
        QDBusMessage get = QDBusMessage::createMethodCall(
            "org.mpris.MediaPlayer2.typix", "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties", "Get");
        get << QStringLiteral("org.mpris.MediaPlayer2.Player") << QString::fromLatin1(name);
        QDBusMessage reply = testBus().call(get, QDBus::BlockWithGui, 5000);
        return reply.arguments().isEmpty() ? QVariant() : reply.arguments().at(0).value<QDBusVariant>().variant();
    }
    void setRate(double rate) {
        QDBusMessage set = QDBusMessage::createMethodCall(
            "org.mpris.MediaPlayer2.typix", "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties", "Set");
        set << QStringLiteral("org.mpris.MediaPlayer2.Player") << QStringLiteral("Rate")
            << QVariant::fromValue(QDBusVariant(rate));
        testBus().call(set, QDBus::BlockWithGui, 5000);
    }

    TestFolder temp;
    PrivateBus bus;
    std::string data = temp.folder() + "data/";
    std::string current = data + "current/";
    std::string done = data + "done/";
    std::unique_ptr<QProcess> window_;
    std::unique_ptr<QObject> listener_;
};

// Collects the PropertiesChanged signals of the player.
class ChangeListener : public QObject {
    Q_OBJECT
public:
    QStringList changed;
public slots:
    void onChanged(const QString&, const QVariantMap& properties, const QStringList&) {
        changed << properties.keys();
    }
};

TEST_F(DesktopControlsTest, PlayerctlPlaysPausesSeeksAndReadsTheDictation) {
    startWindow();
    EXPECT_EQ(player({"metadata", "xesam:title"}), "Board minutes");
    EXPECT_EQ(player({"metadata", "xesam:artist"}), "Dr Ann Hale");
    EXPECT_EQ(player({"metadata", "mpris:length"}), "20000000");
    EXPECT_EQ(player({"status"}), "Stopped");

    auto* listener = new ChangeListener;
    listener_.reset(listener);
    ASSERT_TRUE(testBus().connect("org.mpris.MediaPlayer2.typix", "/org/mpris/MediaPlayer2",
                                  "org.freedesktop.DBus.Properties", "PropertiesChanged", listener,
                                  SLOT(onChanged(QString, QVariantMap, QStringList))));
    player({"play"});
    EXPECT_TRUE(statusBecomes("Playing"));
    EXPECT_TRUE(waitFor([&] { return listener->changed.contains("PlaybackStatus"); }));
    // Far enough in that the sound already heard is past the start: a pause
    // keeps the position of the sound heard, not of the sound fed.
    EXPECT_TRUE(waitFor([&] { return position() > 0.5; }));
    player({"pause"});
    EXPECT_TRUE(statusBecomes("Paused"));
    const double paused = position();
    EXPECT_GT(paused, 0.0);

    player({"position", "7.5"});
    EXPECT_TRUE(waitFor([&] { return std::abs(position() - 7.5) < 0.05; }));
    player({"position", "2-"});
    EXPECT_TRUE(waitFor([&] { return std::abs(position() - 5.5) < 0.05; }));
    player({"stop"});
    EXPECT_TRUE(statusBecomes("Stopped"));
    EXPECT_EQ(position(), 0.0);

    // The rate is the speed, held to 0.1 ... 2.0 in steps of 0.1.
    listener->changed.clear();
    setRate(0.5);
    EXPECT_DOUBLE_EQ(property("Rate").toDouble(), 0.5);
    EXPECT_TRUE(waitFor([&] { return listener->changed.contains("Rate"); }));
    setRate(7.0);
    EXPECT_DOUBLE_EQ(property("Rate").toDouble(), 2.0);
    setRate(1.26);
    EXPECT_DOUBLE_EQ(property("Rate").toDouble(), 1.3);
}

TEST_F(DesktopControlsTest, CommandsReachTheRunningWindow) {
    int status = -1;
    run(typixPath(), {"--command", "play"}, &status);
    EXPECT_EQ(status, 1) << "no window runs yet";
    startWindow();
    EXPECT_EQ(command("play"), 0);
    EXPECT_TRUE(statusBecomes("Playing"));
    // Stopped once some sound has been heard, so the position is past the start.
    EXPECT_TRUE(waitFor([&] { return position() > 0.5; }));
    EXPECT_EQ(command("toggle"), 0);
    EXPECT_TRUE(statusBecomes("Paused"));
    EXPECT_EQ(command("start"), 0);
    EXPECT_TRUE(waitFor([&] { return position() == 0.0; }));
    EXPECT_EQ(command("ahead"), 0);
    EXPECT_TRUE(waitFor([&] { return std::abs(position() - 2.0) < 0.05; }));
    EXPECT_EQ(command("back"), 0);
    EXPECT_TRUE(waitFor([&] { return position() == 0.0; }));
    EXPECT_EQ(command("end"), 0);
    EXPECT_TRUE(waitFor([&] { return std::abs(position() - 20.0) < 0.1; }));
    EXPECT_EQ(command("nonsense"), 2);

    EXPECT_EQ(command("next"), 0);
    EXPECT_TRUE(waitFor([&] { return player({"metadata", "xesam:title"}) == "Ward round"; }));
    EXPECT_EQ(command("done"), 0);
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(done + "second.wav"); }));
    EXPECT_FALSE(std::filesystem::exists(current + "second.wav"));
    EXPECT_EQ(window_->state(), QProcess::Running);
}

TEST_F(DesktopControlsTest, PortalBindsTheHotKeysAndItsShortcutPlays) {
    if (std::system("/usr/bin/python3 -c 'import dbus, gi' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3-dbus or python3-gi is missing (scripts/install-deps installs them)";
    QProcess portal;
    portal.setProcessEnvironment(environment());
    portal.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const std::string bound = temp.file("bound.txt");
    portal.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TYPIX_SOURCE_DIR "/tests/ui/fake_portal.py"),
                  QString::fromStdString(bound), QStringLiteral("play-normal")});
    QByteArray said;
    ASSERT_TRUE(waitFor([&] { return (said += portal.readAllStandardOutput()).contains("ready"); }, 10000))
        << said.toStdString();
    startWindow();
    // Without an X11 display the hot keys go through the portal: all eight,
    // with their keys proposed, and a press of one plays.
    EXPECT_TRUE(statusBecomes("Playing"));
    EXPECT_EQ(typix::apptest::readBytes(bound),
              "seek-back F7\nseek-ahead F8\nplay-normal F9\nplay-slow F10\nplay-fast F11\n"
              "stop F12\nrestore F5\nminimize F6\n");
    portal.kill();
    portal.waitForFinished(5000);
}

}  // namespace

#include "DesktopControlsTest.moc"
