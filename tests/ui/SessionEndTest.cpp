// The program's end by a signal or by exit(): the real application object and
// window run in a child (this test program started again), which types into
// the window and is then ended from outside.  The typing must be on disk and
// the next window must show it.  The autosave clocks are set far off in the
// child, so only the way the program ends can have saved the typing.
#include <QPlainTextEdit>
#include <QTimer>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "MainWindowFixture.h"
#include "store/TypingFile.h"
#include "ui/MainApplication.h"
#include "ui/MainFrame.h"

using namespace typix;
using namespace typix::uitest;
namespace fs = std::filesystem;

namespace {

const char* const kChildRoot = "TYPIX_SESSION_CHILD_ROOT";
const char* const kChildExits = "TYPIX_SESSION_CHILD_EXITS";
const QString kTyped = QStringLiteral("Dear Sir, typed just before the end \u00e9t\u00e9.");

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The child: the program's own start-up over the parent's folders, then typing.
TEST(SessionEndChild, DISABLED_TypesAndRunsUntilEnded) {
    const char* root = std::getenv(kChildRoot);
    ASSERT_NE(root, nullptr);
    static int argc = 1;
    static char name[] = "typix";
    static char* argv[] = {name, nullptr};
    MainApplication app(argc, argv);
    ASSERT_FALSE(app.handOverToRunningInstance());
    app.startFirstInstance();
    MainFrame frame;
    app.attachWindow(frame);
    frame.show();
    ASSERT_TRUE(frame.dialog()->hasDictation());
    type(frame.dialog()->typingPad(), kTyped);
    std::ofstream(std::string(root) + "/ready") << "typed";
    if (std::getenv(kChildExits)) QTimer::singleShot(0, [] { std::exit(3); });
    const int result = app.exec();
    std::ofstream(std::string(root) + "/ended") << result;
}

struct SessionEndTest : MainWindowFixture {
    void SetUp() override {
        MainWindowFixture::SetUp();
        fs::create_directories(root + "/runtime");
        fs::permissions(root + "/runtime", fs::perms::owner_all);
        fs::create_directories(root + "/home");
        std::ofstream(root + "/folders.ini")
            << "[Folders]\nDataFiles=" << root << "\nCurrent Files=" << settings.currentFiles()
            << "\nDone Files=" << settings.doneFiles() << "\nIncoming Files=" << settings.incomingFiles()
            << "\nStatus=" << settings.statusFolder() << "\n";
        addDictation("letter");
    }

    // Starts the child; returns its pid once it has typed, or -1.
    pid_t startChild(bool exits) {
        fs::remove(root + "/ready");
        fs::remove(root + "/ended");
        std::vector<std::string> variables = {
            std::string(kChildRoot) + "=" + root,
            "TYPIX_FOLDERS=" + root + "/folders.ini",
            "XDG_RUNTIME_DIR=" + root + "/runtime",
            "HOME=" + root + "/home",
            "XDG_CONFIG_HOME=" + root + "/home/config",
            "XDG_DATA_HOME=" + root + "/home/share",
            "TYPIX_AUTOSAVE_MS=600000",
            "TYPIX_AUTOSAVE_PAUSE_MS=600000",
            "TYPIX_OUTPUT_DEVICE=null",
            "QT_QPA_PLATFORM=offscreen",
        };
        if (exits) variables.push_back(std::string(kChildExits) + "=1");
        for (char** e = environ; *e; ++e) {
            std::string entry = *e;
            std::string key = entry.substr(0, entry.find('='));
            bool replaced = false;
            for (const std::string& v : variables) replaced |= v.compare(0, key.size() + 1, key + "=") == 0;
            if (!replaced) variables.push_back(entry);
        }
        std::vector<char*> envp;
        for (std::string& v : variables) envp.push_back(v.data());
        envp.push_back(nullptr);
        char program[] = "/proc/self/exe";
        char arg0[] = "typix_test_ui";
        char arg1[] = "--gtest_also_run_disabled_tests";
        char arg2[] = "--gtest_filter=SessionEndChild.DISABLED_TypesAndRunsUntilEnded";
        char* args[] = {arg0, arg1, arg2, nullptr};
        pid_t child = fork();
        if (child == 0) {
            execve(program, args, envp.data());
            _exit(127);
        }
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!fs::exists(root + "/ready")) {
            int status = 0;
            if (waitpid(child, &status, WNOHANG) == child) return -1;
            if (std::chrono::steady_clock::now() > deadline) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return child;
    }

    // Waits for the child's end: its exit code, or -1 when a signal killed it
    // or it did not end within the time.
    static int waitForEnd(pid_t child) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        int status = 0;
        while (waitpid(child, &status, WNOHANG) != child) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string typing() const { return readTyping(settings.currentFiles() + "letter.txt"); }
};

TEST_F(SessionEndTest, EachQuitSignalClosesAsExitDoesAndKeepsTheTyping) {
    for (int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(strsignal(signalNumber));
        fs::remove(settings.currentFiles() + "letter.txt");
        pid_t child = startChild(false);
        ASSERT_GT(child, 0) << "the child never typed";
        EXPECT_EQ(typing(), "") << "saved before the end: the test proves nothing";
        kill(child, signalNumber);
        EXPECT_EQ(waitForEnd(child), 0);
        EXPECT_EQ(slurp(root + "/ended"), "0") << "the event loop did not end normally";
        EXPECT_EQ(typing(), kTyped.toStdString());
    }
    // The next start shows what was typed.
    MainDialog& d = open();
    EXPECT_EQ(d.typingPad()->toPlainText(), kTyped);
}

TEST_F(SessionEndTest, ExitCalledWhileTheWindowRunsStillSavesTheTyping) {
    // The toolkit ends the process this way when the display connection is lost.
    pid_t child = startChild(true);
    ASSERT_GT(child, 0) << "the child never typed";
    EXPECT_EQ(waitForEnd(child), 3);
    EXPECT_FALSE(fs::exists(root + "/ended"));
    EXPECT_EQ(typing(), kTyped.toStdString());
    MainDialog& d = open();
    EXPECT_EQ(d.typingPad()->toPlainText(), kTyped);
}

}  // namespace
