#include "support/LThread.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace typix {
namespace {

using Clock = std::chrono::steady_clock;

// Counts bodies and records the scheduling it ran with; loops until stopped
// unless `ignoreStopMs` makes it hold on regardless for that long.
class Worker : public LThread {
public:
    ~Worker() override { finish(); }

    std::atomic<int> bodies{0};
    std::atomic<int> concurrent{0};
    std::atomic<int> maxConcurrent{0};
    std::atomic<int> policy{-1};
    std::atomic<int> nice{-100};
    std::atomic<bool> started{false};
    std::atomic<int> ignoreStopMs{0};
    std::atomic<bool> finishOnItsOwn{false};
    std::atomic<bool> stopItself{false};
    std::atomic<bool> stopResult{false};

    using LThread::pause;
    using LThread::stopRequested;

protected:
    void run() override {
        const int now = ++concurrent;
        if (now > maxConcurrent) maxConcurrent = now;
        ++bodies;
        policy = sched_getscheduler(0);
        nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        started = true;
        if (ignoreStopMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ignoreStopMs.load()));
        if (stopItself) stopResult = stop();
        while (!finishOnItsOwn && !pause(5)) {
        }
        --concurrent;
    }
};

void waitUntil(const std::atomic<bool>& flag) {
    const auto limit = Clock::now() + std::chrono::seconds(5);
    while (!flag && Clock::now() < limit) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(LThread, StopOnANeverStartedObjectReturnsFalseRepeatedly) {
    Worker worker;
    EXPECT_FALSE(worker.isRunning());
    EXPECT_FALSE(worker.stop());
    EXPECT_FALSE(worker.stop());
    EXPECT_EQ(worker.bodies, 0);
}

TEST(LThread, StartTwiceRunsOneThreadAtTheFirstPriority) {
    Worker worker;
    worker.start(ThreadPriority::Idle);
    worker.start(ThreadPriority::Normal);
    waitUntil(worker.started);
    EXPECT_TRUE(worker.isRunning());
    EXPECT_EQ(worker.policy, SCHED_IDLE);
    EXPECT_TRUE(worker.stop());
    EXPECT_FALSE(worker.isRunning());
    EXPECT_EQ(worker.bodies, 1);
    EXPECT_TRUE(worker.stopRequested());  // the stop signal stays set until the next start
}

TEST(LThread, RestartAfterFinishingRunsAgainWithAFreshStopSignal) {
    Worker worker;
    worker.finishOnItsOwn = true;
    worker.start(ThreadPriority::Lowest);
    waitUntil(worker.started);
    while (worker.isRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(worker.nice, 2);
    EXPECT_TRUE(worker.stop());  // finished but not yet closed: a thread existed
    EXPECT_FALSE(worker.stop());
    worker.finishOnItsOwn = false;
    worker.started = false;
    worker.start(ThreadPriority::Normal);
    waitUntil(worker.started);
    EXPECT_FALSE(worker.stopRequested());
    EXPECT_TRUE(worker.isRunning());
    worker.stop();
    EXPECT_EQ(worker.bodies, 2);
}

TEST(LThread, PauseEndsAtOnceOnStopAndABodyMayStopItself) {
    Worker worker;
    EXPECT_FALSE(worker.pause(1));
    worker.start(ThreadPriority::Normal);
    waitUntil(worker.started);
    auto before = Clock::now();
    worker.stop();
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(2));

    Worker self;
    self.stopItself = true;
    before = Clock::now();
    self.start(ThreadPriority::Normal);
    self.finish();  // the body's own stop() must not wait five seconds for itself
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(2));
    EXPECT_TRUE(self.stopResult);
}

// A body that ignores its stop request: stop gives up after five seconds and
// leaves it detached.  A restart meanwhile is queued behind it (one stopped
// before it begins never runs); destruction waits for every body.
TEST(LThread, BodyIgnoringStopIsLeftDetachedAndNeverRunsTwice) {
    auto worker = std::make_unique<Worker>();
    worker->ignoreStopMs = 5600;
    worker->start(ThreadPriority::Normal);
    waitUntil(worker->started);
    const auto before = Clock::now();
    EXPECT_TRUE(worker->stop());
    const auto waited = Clock::now() - before;
    EXPECT_GE(waited, std::chrono::milliseconds(4900));
    EXPECT_LT(waited, std::chrono::milliseconds(5500));
    EXPECT_FALSE(worker->isRunning());

    worker->ignoreStopMs = 0;
    worker->start(ThreadPriority::Normal);
    EXPECT_TRUE(worker->stop());  // ends at once: the queued thread never began
    worker->start(ThreadPriority::Normal);
    EXPECT_TRUE(worker->isRunning());
    const auto limit = Clock::now() + std::chrono::seconds(5);
    while (worker->bodies < 2 && Clock::now() < limit) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(worker->bodies, 2);
    EXPECT_FALSE(worker->stopRequested());
    EXPECT_EQ(worker->maxConcurrent, 1);
    worker.reset();  // a clean destruction: the sanitizers watch this
}

class Notifier : public LThreadNotifyProgress {
public:
    ~Notifier() override { finish(); }
    using LThreadNotify::postNotify;

protected:
    void run() override {
        progress_ = 0.5f;
        postNotify();
    }
};

TEST(LThreadNotify, PostsOnStartProgressAndEndOnlyWithATarget) {
    QueuePoster poster;
    std::vector<uint32_t> messages;
    PostWindow window([&](uint32_t m, uintptr_t w, intptr_t l) {
        EXPECT_EQ(w, 0u);
        EXPECT_EQ(l, 0);
        messages.push_back(m);
    }, &poster);

    Notifier silent;
    silent.start(ThreadPriority::Normal);
    silent.stop();
    EXPECT_EQ(poster.pendingCount(), 0);

    Notifier notifier;
    notifier.setNotifyTarget(&window, 0x411);
    notifier.start(ThreadPriority::Idle);
    notifier.stop();
    poster.runPending();
    EXPECT_EQ(messages, (std::vector<uint32_t>{0x411, 0x411, 0x411}));
    EXPECT_FLOAT_EQ(notifier.progress(), 0.5f);

    notifier.setNotifyTarget(nullptr, 0x411);
    notifier.postNotify();
    EXPECT_EQ(poster.pendingCount(), 0);
}

TEST(ThreadPriority, MapsOntoLinuxScheduling) {
    std::thread probe([] {
        EXPECT_TRUE(applyThreadPriority(0, ThreadPriority::Lowest));
        EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())), 2);
        EXPECT_TRUE(applyThreadPriority(0, ThreadPriority::Idle));
        EXPECT_EQ(sched_getscheduler(0), SCHED_IDLE);
        applyThreadPriority(0, ThreadPriority::Highest);  // may be refused; must not fail otherwise
    });
    probe.join();
}

}  // namespace
}  // namespace typix
