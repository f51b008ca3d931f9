// System-wide hot keys on a real X server (Xvfb), keys sent with xdotool.
// The parent test starts the server and another client (xmessage) that holds
// the focus, then runs the window part of the test in a child process of this
// program on the xcb platform (this process runs offscreen).  Skipped when
// Xvfb, xdotool or xmessage is missing.
#include <QListWidget>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

#include "MainWindowFixture.h"
#include "ui/CommandIds.h"
#include "ui/DetectableAutoRepeat.h"
#include "ui/HotKeys.h"
#include "ui/KeyHints.h"
#include "ui/TypistControls.h"

using namespace typix;
using namespace typix::uitest;

namespace {

const char* kRoleVariable = "TYPIX_HOTKEY_CHILD";

bool tool(const QString& name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

bool run(const QStringList& args, int ms = 5000) {
    QProcess p;
    p.start(args.first(), args.mid(1));
    return p.waitForFinished(ms) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

struct XServer {
    QProcess server, holder;
    QString display;

    bool start() {
        for (int n = 40 + getpid() % 300; n < 400; ++n) {
            if (std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock")) continue;
            display = QStringLiteral(":%1").arg(n);
            server.start(QStringLiteral("Xvfb"), {display, QStringLiteral("-nolisten"),
                                                  QStringLiteral("tcp"), QStringLiteral("-screen"),
                                                  QStringLiteral("0"), QStringLiteral("800x600x24")});
            std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
            if (waitFor([&] { return std::filesystem::exists(socket); }, 5000)) break;
            server.kill();
            server.waitForFinished();
            return false;
        }
        qputenv("DISPLAY", display.toLatin1());
        // Another client with the focus: the typist's word processor.
        holder.start(QStringLiteral("xmessage"), {QStringLiteral("word processor")});
        return run({QStringLiteral("xdotool"), QStringLiteral("search"), QStringLiteral("--sync"),
                    QStringLiteral("--class"), QStringLiteral("xmessage"),
                    QStringLiteral("windowfocus")});
    }
    ~XServer() {
        for (QProcess* p : {&holder, &server}) {
            p->kill();
            p->waitForFinished(3000);
        }
    }
};

// Runs test `name` of this program in a child on the X server.
void runChild(const XServer& x, const char* name, const char* role) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), x.display);
    env.insert(QString::fromLatin1(kRoleVariable), QString::fromLatin1(role));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QString::fromLocal8Bit(qgetenv("TYPIX_SELF")),
                {QStringLiteral("--gtest_filter=HotKeysChild.") + QString::fromLatin1(name)});
    ASSERT_TRUE(child.waitForFinished(60000));
    QByteArray out = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
}

TEST(HotKeysX11, KeysReachTheProgramWhileAnotherClientHasTheFocus) {
    if (!tool(QStringLiteral("Xvfb")) || !tool(QStringLiteral("xdotool")) ||
        !tool(QStringLiteral("xmessage")))
        GTEST_SKIP() << "needs Xvfb, xdotool and xmessage";
    app();
    qputenv("TYPIX_SELF", QCoreApplication::applicationFilePath().toLocal8Bit());
    XServer x;
    ASSERT_TRUE(x.start());
    runChild(x, "GrabbedKeys", "grabbed");
    runChild(x, "WindowKeys", "window");
}

// Keys held with the server's auto-repeat on, at its default 25 repeats a
// second and at 60.
TEST(HotKeysX11, HeldKeysActOncePerHold) {
    if (!tool(QStringLiteral("Xvfb")) || !tool(QStringLiteral("xdotool")) ||
        !tool(QStringLiteral("xmessage")) || !tool(QStringLiteral("xset")))
        GTEST_SKIP() << "needs Xvfb, xdotool, xmessage and xset";
    app();
    qputenv("TYPIX_SELF", QCoreApplication::applicationFilePath().toLocal8Bit());
    XServer x;
    ASSERT_TRUE(x.start());
    ASSERT_TRUE(run({QStringLiteral("xset"), QStringLiteral("r"), QStringLiteral("on")}));
    runChild(x, "HeldHotKeys", "grabbed");
    runChild(x, "HeldWindowKeys", "window");
    ASSERT_TRUE(run({QStringLiteral("xset"), QStringLiteral("r"), QStringLiteral("rate"),
                     QStringLiteral("660"), QStringLiteral("60")}));
    runChild(x, "HeldWindowKeys", "window");
}

// The child parts: skipped unless started by the test above.
struct HotKeysChild : MainWindowFixture {
    void SetUp() override {
        if (!qEnvironmentVariableIsSet(kRoleVariable)) GTEST_SKIP() << "runs as a child only";
        MainWindowFixture::SetUp();
    }
    static bool xdotool(const QStringList& args) {
        return run(QStringList{QStringLiteral("xdotool")} + args);
    }
};

TEST_F(HotKeysChild, GrabbedKeys) {
    settings.setHotKeys(true);
    addDictation("a", 1, 20.0);
    MainDialog& d = open();
    ASSERT_TRUE(HotKeys::hotKeysAvailable());
    ASSERT_TRUE(TypistControls::of(d)->hotKeys().registered());
    EXPECT_EQ(d.control(cmd::kRewind)->toolTip(), rewindTip(KeyMode::HotKeys))
        << "the tip tells that F7 jumps";
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("F9")}));
    ASSERT_TRUE(waitFor([&] { return d.isPlaying(); }, 5000)) << "F9 plays";
    EXPECT_EQ(d.speed(), 100);
    ASSERT_TRUE(waitFor([&] { return d.position() >= 40000; }, 10000));
    d.stop();
    ASSERT_TRUE(waitFor([&] { return !d.isPlaying(); }));
    int32_t before = d.position();
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("F7")}));
    EXPECT_TRUE(waitFor([&] { return d.position() == before - 20000; }, 5000))
        << "F7 jumps 2 s back from " << before << ", now " << d.position();
    EXPECT_FALSE(d.rewindScanning());
}

TEST_F(HotKeysChild, WindowKeys) {
    settings.setHotKeys(false);
    addDictation("a", 1, 20.0);
    MainDialog& d = open();
    EXPECT_FALSE(TypistControls::of(d)->hotKeys().registered());
    EXPECT_EQ(d.control(cmd::kRewind)->toolTip(), rewindTip(KeyMode::WindowKeys));
    d.show();
    d.activateWindow();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == &d; }, 5000));
    d.fileList()->setFocus();
    d.playAtSpeed(100);
    ASSERT_TRUE(waitFor([&] { return d.isPlaying(); }));
    ASSERT_TRUE(xdotool({QStringLiteral("keydown"), QStringLiteral("F7")}));
    EXPECT_TRUE(waitFor([&] { return d.rewindScanning(); }, 5000)) << "audible rewind while held";
    ASSERT_TRUE(xdotool({QStringLiteral("keyup"), QStringLiteral("F7")}));
    EXPECT_TRUE(waitFor([&] { return !d.rewindScanning() && d.isPlaying(); }, 5000))
        << "the scan ends on release and playback resumes";
}

// Holds `key` down for `ms` while the event loop runs, checking `whileHeld`
// every 100 ms; returns whether it held throughout.
bool holdKey(const char* key, int ms, const std::function<bool()>& whileHeld = {}) {
    if (!HotKeysChild::xdotool({QStringLiteral("keydown"), QString::fromLatin1(key)})) return false;
    bool held = true;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        waitFor([] { return false; }, 100);
        if (whileHeld && !whileHeld()) held = false;
    }
    return HotKeysChild::xdotool({QStringLiteral("keyup"), QString::fromLatin1(key)}) && held;
}

TEST_F(HotKeysChild, HeldHotKeys) {
    settings.setHotKeys(true);
    addDictation("a", 1, 20.0);
    MainDialog& d = open();
    ASSERT_TRUE(TypistControls::of(d)->hotKeys().registered());
    EXPECT_TRUE(detectableAutoRepeat()) << "Xvfb offers XKB";
    ASSERT_TRUE(holdKey("F9", 1500));
    ASSERT_TRUE(waitFor([&] { return d.isPlaying(); }, 5000));
    waitFor([] { return false; }, 200);
    EXPECT_EQ(playerStarts, 1) << "F9 held opens the device once";
    d.stop();
    ASSERT_TRUE(waitFor([&] { return !d.isPlaying(); }));
    d.setPosition(100000);
    ASSERT_TRUE(holdKey("F7", 1500));
    waitFor([] { return false; }, 200);
    EXPECT_EQ(d.position(), 80000) << "F7 held jumps 2 s once";
}

TEST_F(HotKeysChild, HeldWindowKeys) {
    settings.setHotKeys(false);
    addDictation("a", 1, 20.0);
    MainDialog& d = open();
    d.show();
    d.activateWindow();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == &d; }, 5000));
    d.fileList()->setFocus();
    d.setPosition(150000);
    EXPECT_TRUE(holdKey("Left", 2500, [&] { return d.rewindScanning(); }))
        << "the rewind runs through the hold";
    EXPECT_TRUE(waitFor([&] { return !d.isPlaying(); }, 5000)) << "the release ends it";
    EXPECT_EQ(scansStarted(-0.5), 1);

    int before = playerStarts;
    EXPECT_TRUE(holdKey("Return", 1500, [&] { return d.isPlaying(); }))
        << "Return held plays through the hold";
    EXPECT_EQ(playerStarts - before, 1);
    EXPECT_TRUE(waitFor([&] { return !d.isPlaying(); }, 5000)) << "the release stops";
}

}  // namespace
