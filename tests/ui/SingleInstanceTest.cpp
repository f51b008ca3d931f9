// The single-instance hand-over with two real typix processes, and the Qt
// interface poster.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "app/AppTestFolder.h"
#include "ui/QtPoster.h"
#include "ui/SingleInstance.h"

namespace {

using typix::apptest::readBytes;
using typix::apptest::TestFolder;
using typix::apptest::writeBytes;

// The one application object of the test program; a QApplication, since the
// window tests in the same program need one.
QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "typix_test_ui";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QApplication(argc, argv);
    return *QCoreApplication::instance();
}

// Waits, serving the event loop, until `ready` holds or `ms` pass.
template <typename Ready>
bool waitFor(Ready ready, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!ready()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
    }
    return true;
}

// The files handed over end in ".note": the running program's loader imports
// ".wav" and ".dct" files out of Incoming Files at once, but leaves any other
// kind there, where the test can find it.
class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstanceTest() {
        application();
        writeBytes(temp.file("folders.ini"), "[Folders]\nDataFiles=" + temp.folder() + "data\n" +
                                                 "Current Files=" + temp.folder() + "data/current\n" +
                                                 "Done Files=" + temp.folder() + "data/done\n" +
                                                 "Incoming Files=" + incoming + "\n" +
                                                 "Status=" + temp.folder() + "data/status\n");
        std::filesystem::create_directories(temp.folder() + "tmp/runtime");
        std::filesystem::permissions(temp.folder() + "tmp/runtime", std::filesystem::perms::owner_all);
    }
    ~SingleInstanceTest() override {
        for (pid_t child : rawChildren_) {
            ::kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        for (QProcess* process : processes_) {
            process->kill();
            process->waitForFinished(5000);
            delete process;
        }
    }

    QProcessEnvironment environment(const std::string& tmpdir = "tmp") const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TYPIX_FOLDERS", QString::fromStdString(temp.file("folders.ini")));
        environment.insert("TMPDIR", QString::fromStdString(temp.folder() + tmpdir));
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(temp.folder() + "tmp/runtime"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        // An installer started by a test answers its questions by itself and
        // starts nothing at its end.
        environment.insert("TYPIX_ASSUME_YES", "1");
        environment.insert("TYPIX_NO_LAUNCH", "1");
        // Nothing a started program writes may land in the real home folder.
        environment.insert("HOME", QString::fromStdString(temp.folder() + "home"));
        environment.insert("XDG_DATA_HOME", QString::fromStdString(temp.folder() + "home/share"));
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(temp.folder() + "home/config"));
        return environment;
    }
    QProcess* start(const QStringList& arguments, const QString& program = typixPath(),
                    const std::string& tmpdir = "tmp") {
        auto* process = new QProcess;
        processes_.push_back(process);
        process->setProcessEnvironment(environment(tmpdir));
        process->setWorkingDirectory(QString::fromStdString(temp.folder()));
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(program, arguments);
        process->waitForStarted(5000);
        return process;
    }
    // Runs a start to its end; its exit status, or -1 when it did not end in time.
    int runToEnd(const QStringList& arguments, const QString& program = typixPath()) {
        QProcess* process = start(arguments, program);
        if (!process->waitForFinished(15000)) return -1;
        return process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    }
    // Starts typix with arguments that are bytes, not text (QProcess would
    // re-encode them), in the test's folder.
    pid_t spawnRaw(const std::vector<std::string>& arguments) {
        std::vector<std::string> variables;
        for (const QString& entry : environment().toStringList()) variables.push_back(entry.toStdString());
        std::vector<char*> envp;
        for (std::string& v : variables) envp.push_back(v.data());
        envp.push_back(nullptr);
        std::string program = typixPath().toStdString();
        std::vector<std::string> words = {program};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        const std::string folder = temp.folder();
        pid_t child = fork();
        if (child == 0) {
            if (::chdir(folder.c_str()) != 0) _exit(126);
            execve(program.c_str(), argv.data(), envp.data());
            _exit(127);
        }
        rawChildren_.push_back(child);
        return child;
    }
    // The exit code of a start made by spawnRaw, or -1 when it did not end in time.
    int waitRaw(pid_t child) {
        int status = 0;
        if (!waitFor([&] { return waitpid(child, &status, WNOHANG) == child; }, 15000)) return -1;
        std::erase(rawChildren_, child);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // The socket lies in the runtime folder the test gives, never in TMPDIR.
    bool socketReady() const {
        return std::filesystem::exists(temp.folder() + "tmp/runtime/korvel-typix-" +
                                       std::to_string(::getuid()));
    }
    QProcess* startFirst(const QStringList& arguments = {}) {
        QProcess* first = start(arguments);
        EXPECT_TRUE(waitFor([this] { return socketReady(); })) << "first instance never listened";
        return first;
    }
    static QString typixPath() { return QStringLiteral(TYPIX_BINARY_DIR "/typix"); }
    bool incomingHolds(const std::string& name, const std::string& bytes) {
        return waitFor([&] { return readBytes(incoming + name) == bytes; });
    }

    TestFolder temp;
    std::string incoming = temp.folder() + "data/incoming/";

private:
    std::vector<QProcess*> processes_;
    std::vector<pid_t> rawChildren_;
};

TEST_F(SingleInstanceTest, SecondStartHandsItsJoinedArgumentsToTheFirst) {
    QProcess* first = startFirst();
    writeBytes(temp.file("my dictation.note"), "new audio");
    writeBytes(incoming + "my dictation.note", "waiting copy");
    // An unquoted path with a blank arrives as two arguments and is joined;
    // it lands beside the waiting file of that name, which stays.
    EXPECT_EQ(runToEnd({QString::fromStdString(temp.folder() + "my"), "dictation.note"}), 0);
    EXPECT_TRUE(incomingHolds("my dictation (2).note", "new audio"));
    EXPECT_TRUE(incomingHolds("my dictation.note", "waiting copy"));

    // A relative path means the second start's own folder.
    writeBytes(temp.file("relative.note"), "package");
    EXPECT_EQ(runToEnd({"relative.note"}), 0);
    EXPECT_TRUE(incomingHolds("relative.note", "package"));

    // Without arguments the second start only raises the first and ends.
    EXPECT_EQ(runToEnd({}), 0);
    EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(SingleInstanceTest, StartsWithAnotherTmpdirStillFindTheRunningInstance) {
    // A terminal and the desktop session often disagree about TMPDIR.
    std::filesystem::create_directories(temp.folder() + "other-tmp");
    QProcess* first = startFirst();
    writeBytes(temp.file("from terminal.note"), "terminal");
    QProcess* second =
        start({QString::fromStdString(temp.file("from terminal.note"))}, typixPath(), "other-tmp");
    EXPECT_TRUE(second->waitForFinished(15000)) << "a second window opened";
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(incomingHolds("from terminal.note", "terminal"));
    EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(SingleInstanceTest, NamesThatAreNotUtf8ArriveByteForByte) {
    const std::string own = "M\xfcller.note", handed = "Gr\xfc\xdf" "e Stra\xdf" "e.note";
    writeBytes(temp.file(own), "own");
    writeBytes(temp.file(handed), "handed");
    // On the first start's own command line...
    const pid_t first = spawnRaw({temp.file(own)});
    EXPECT_TRUE(incomingHolds(own, "own"));
    ASSERT_TRUE(waitFor([this] { return socketReady(); }));
    // ...and handed over by a second start, in two words and relative.
    EXPECT_EQ(waitRaw(spawnRaw({"Gr\xfc\xdf" "e", "Stra\xdf" "e.note"})), 0);
    EXPECT_TRUE(incomingHolds(handed, "handed"));
    ::kill(first, SIGTERM);
    EXPECT_EQ(waitRaw(first), 0);
}

TEST_F(SingleInstanceTest, FirstInstanceImportsItsOwnArgumentsOnceUp) {
    writeBytes(temp.file("own.note"), "own audio");
    startFirst({QString::fromStdString(temp.file("own.note"))});
    EXPECT_TRUE(incomingHolds("own.note", "own audio"));
    // A name that is no file is ignored, and the instance keeps serving.
    EXPECT_EQ(runToEnd({QString::fromStdString(temp.file("absent.note"))}), 0);
    EXPECT_FALSE(std::filesystem::exists(incoming + "absent.note"));
}

TEST_F(SingleInstanceTest, SocketLeftByADeadInstanceIsTakenOver) {
    QProcess* dead = startFirst();
    ::kill(static_cast<pid_t>(dead->processId()), SIGKILL);
    dead->waitForFinished(5000);
    ASSERT_TRUE(socketReady());  // the socket file outlives the killed process
    writeBytes(temp.file("after.note"), "after");
    QProcess* next = start({QString::fromStdString(temp.file("after.note"))});
    EXPECT_TRUE(incomingHolds("after.note", "after"));
    EXPECT_EQ(next->state(), QProcess::Running);
}

TEST_F(SingleInstanceTest, InstallerClosesTheRunningInstanceFirst) {
    QProcess* first = startFirst();
    // A copy named like the setup file runs the installer, which asks the
    // running program to close before anything else (this copy carries no
    // payload, so it then ends with its checksum error).
    const std::string setup = temp.folder() + "typix-setup";
    std::filesystem::copy_file(typixPath().toStdString(), setup);
    QProcess* installer = start({}, QString::fromStdString(setup));
    EXPECT_TRUE(first->waitForFinished(10000)) << "the running instance was not closed";
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    installer->waitForFinished(15000);
}

TEST_F(SingleInstanceTest, SimultaneousStartsLeaveOneInstanceWithBothFiles) {
    std::vector<QProcess*> starts;
    for (const char* name : {"one.note", "two.note", "three.note"}) {
        writeBytes(temp.file(name), name);
        starts.push_back(start({QString::fromStdString(temp.file(name))}));
    }
    for (const char* name : {"one.note", "two.note", "three.note"}) EXPECT_TRUE(incomingHolds(name, name));
    const auto running = [&] {
        int count = 0;
        for (QProcess* process : starts) count += process->state() == QProcess::Running;
        return count;
    };
    waitFor([&] { return running() <= 1; });  // the others end once they handed over
    QThread::msleep(500);
    QCoreApplication::processEvents();
    EXPECT_EQ(running(), 1);
}

TEST(QtPosterTest, CallsFromWorkersRunOnTheInterfaceThreadInOrder) {
    application();
    typix::QtPoster poster;
    std::vector<int> order;
    std::atomic<int> wrongThread{0};
    QThread* interfaceThread = QThread::currentThread();
    std::unique_ptr<QThread> worker(QThread::create([&] {
        for (int i = 0; i < 100; ++i)
            poster.post([&, i] {
                if (QThread::currentThread() != interfaceThread) ++wrongThread;
                order.push_back(i);
            });
    }));
    worker->start();
    worker->wait();
    EXPECT_TRUE(order.empty());  // nothing runs until the loop turns
    EXPECT_TRUE(waitFor([&] { return order.size() == 100; }, 5000));
    for (int i = 0; i < static_cast<int>(order.size()); ++i) EXPECT_EQ(order[i], i);
    EXPECT_EQ(wrongThread, 0);
}

TEST(QtPosterTest, CallsStillQueuedWhenThePosterGoesAreDropped) {
    application();
    bool ran = false;
    {
        typix::QtPoster poster;
        poster.post([&] { ran = true; });
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

}  // namespace
