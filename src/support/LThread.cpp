#include "support/LThread.h"

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>

namespace typix {

namespace {
constexpr auto kStopWait = std::chrono::milliseconds(5000);

// Nice values for the best-effort priorities.  Small steps: an unprivileged
// thread may lower its priority but never raise it again, so a feeding thread
// that starts at Lowest should not sink far below the interface thread.
int niceFor(ThreadPriority priority) {
    switch (priority) {
    case ThreadPriority::Lowest: return 2;
    case ThreadPriority::Highest: return -2;
    default: return 0;
    }
}
}  // namespace

bool applyThreadPriority(int tid, ThreadPriority priority) {
    if (tid == 0) tid = static_cast<int>(gettid());
    sched_param param{};
    param.sched_priority = 0;
    if (priority == ThreadPriority::Idle) return sched_setscheduler(tid, SCHED_IDLE, &param) == 0;
    // Leaving SCHED_IDLE first, then the nice value (either may be refused).
    bool ok = true;
    if (sched_getscheduler(tid) != SCHED_OTHER)
        ok = sched_setscheduler(tid, SCHED_OTHER, &param) == 0;
    return setpriority(PRIO_PROCESS, static_cast<id_t>(tid), niceFor(priority)) == 0 && ok;
}

// One started thread: the "handle" of the object while it is current.
struct LThread::Run {
    ThreadPriority priority = ThreadPriority::Normal;
    uint64_t stopsAtStart = 0;  // Control::stops when start() made this run
    bool queued = false;        // started while a detached body was still busy
    int tid = 0;                // kernel thread id, 0 until the thread runs
    std::thread::id threadId;
    bool finished = false;
};

// Outlives the object for as long as a thread holds it.  All fields are
// guarded by `mutex`; `changed` is notified when a run finishes.
struct LThread::Control {
    std::mutex mutex;
    std::condition_variable changed;
    std::shared_ptr<Run> current;  // null: no thread, or closed by stop()
    int threads = 0;               // started threads that have not finished
    bool bodyActive = false;       // some thread is inside onStart/run/onEnd
    std::thread::id bodyThread;
    uint64_t stops = 0;            // stop requests so far
};

LThread::LThread() : control_(std::make_shared<Control>()) {}

LThread::~LThread() { finish(); }

void LThread::start(ThreadPriority priority) {
    std::lock_guard<std::mutex> guard(control_->mutex);
    if (control_->current && !control_->current->finished) return;
    auto run = std::make_shared<Run>();
    run->priority = priority;
    run->stopsAtStart = control_->stops;
    // With a detached body still busy the signal stays set for it; the new
    // thread resets it once that body has ended.
    run->queued = control_->threads > 0;
    if (!run->queued) stopSignal_.reset();
    try {
        std::thread(&LThread::entry, control_, this, run).detach();
    } catch (const std::system_error&) {
        control_->current.reset();
        return;
    }
    ++control_->threads;
    control_->current = std::move(run);
}

void LThread::entry(std::shared_ptr<Control> control, LThread* self, std::shared_ptr<Run> run) {
    applyThreadPriority(0, run->priority);
    std::unique_lock<std::mutex> guard(control->mutex);
    run->tid = static_cast<int>(gettid());
    run->threadId = std::this_thread::get_id();
    // A queued thread that is stopped before the old body ends never begins.
    bool skip = false;
    if (run->queued) {
        control->changed.wait(guard, [&] {
            return !control->bodyActive || control->stops != run->stopsAtStart;
        });
        skip = control->stops != run->stopsAtStart;
        if (!skip) self->stopSignal_.reset();  // the old body's request, now served
    }
    if (!skip) {
        control->bodyActive = true;
        control->bodyThread = run->threadId;
        guard.unlock();
        self->onStart();
        self->run();
        self->onEnd();
        guard.lock();
        control->bodyActive = false;
        control->bodyThread = {};
    }
    // From here on `self` may be gone as soon as the lock is released.
    run->finished = true;
    --control->threads;
    control->changed.notify_all();
}

bool LThread::stop() {
    std::unique_lock<std::mutex> guard(control_->mutex);
    ++control_->stops;
    stopSignal_.set();
    control_->changed.notify_all();
    std::shared_ptr<Run> run = control_->current;
    if (!run) return false;
    // A body that stops its own object cannot wait for itself.
    if (run->threadId != std::this_thread::get_id())
        control_->changed.wait_for(guard, kStopWait, [&] { return run->finished; });
    if (control_->current == run) control_->current.reset();
    return true;
}

void LThread::finish() {
    stop();
    std::unique_lock<std::mutex> guard(control_->mutex);
    if (control_->bodyActive && control_->bodyThread == std::this_thread::get_id()) return;
    control_->changed.wait(guard, [&] { return control_->threads == 0; });
}

bool LThread::isRunning() const {
    std::lock_guard<std::mutex> guard(control_->mutex);
    return control_->current && !control_->current->finished;
}

void LThread::setPriority(ThreadPriority priority) {
    int tid = 0;
    {
        std::lock_guard<std::mutex> guard(control_->mutex);
        const bool fromBody =
            control_->bodyActive && control_->bodyThread == std::this_thread::get_id();
        if (!fromBody) {
            if (!control_->current || control_->current->finished || control_->current->tid == 0)
                return;
            tid = control_->current->tid;
        }
    }
    applyThreadPriority(tid, priority);
}

bool LThread::stopRequested() { return stopSignal_.test(); }

bool LThread::pause(int milliseconds) { return stopSignal_.wait(milliseconds); }

LThreadNotify::~LThreadNotify() { finish(); }

void LThreadNotify::setNotifyTarget(PostWindow* window, uint32_t message) {
    LLock guard(lock_);
    notifyWindow_ = window;
    notifyMessage_ = message;
}

void LThreadNotify::onStart() { postNotify(); }

void LThreadNotify::onEnd() { postNotify(); }

void LThreadNotify::postNotify() {
    LLock guard(lock_);
    if (notifyWindow_) notifyWindow_->post(notifyMessage_, 0, 0);
}

}  // namespace typix
