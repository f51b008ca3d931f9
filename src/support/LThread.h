#pragma once
// Worker threads: one object owns one operating-system thread, a lock for the
// fields the derived class shares with the interface thread, and a stop signal.
//
// Threading rule, written once:
//  1. start() and stop() are called by the owner's thread (normally the
//     interface thread); run() executes on the worker thread.
//  2. The worker polls stopRequested() / pause() and ends run() by itself.
//  3. stop() sets the stop signal and waits up to 5 s; a run body still busy
//     after that goes on detached and isRunning() reports false.
//  4. A detached body still owns the object: the destructor waits for it to
//     finish before any field goes, so a late worker never touches freed
//     memory.  Every derived destructor therefore calls finish() first (it
//     stops, then waits out a detached body too); stop() alone would let a
//     detached body outlive the derived class's fields.
//  5. start() after a detached stop never runs two bodies of one object at
//     once: the new thread begins its body only when the old body has ended
//     (the old body keeps seeing its stop request meanwhile).
//  6. Notifications carry no data: the receiver reads the worker's fields.
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "support/LLockObject.h"
#include "support/LSignalObject.h"
#include "support/Poster.h"

namespace typix {

// Priorities named as the worker code names them; mapped to Linux scheduling
// (idle = SCHED_IDLE, lowest/highest = best-effort nice values).  Failures are ignored.
enum class ThreadPriority : int {
    Idle = -15,
    Lowest = -2,
    Normal = 0,
    Highest = 2,
};

class LThread {
public:
    LThread();
    virtual ~LThread();
    LThread(const LThread&) = delete;
    LThread& operator=(const LThread&) = delete;

    // Does nothing when a thread started earlier is still running.  Otherwise
    // resets the stop signal and starts a new thread at `priority`.
    void start(ThreadPriority priority);
    // Sets the stop signal, waits up to 5000 ms.  Returns true when a thread
    // existed (false when there was none).  Safe to call repeatedly.
    bool stop();
    // stop(), then waits without a time limit until no body of this object
    // runs any more (detached ones included).  For destructors.
    void finish();
    bool isRunning() const;

    // Changes the priority of the calling worker thread (from inside run()),
    // or, called from another thread, of the object's current thread.
    void setPriority(ThreadPriority priority);

    LLockObject& lock() { return lock_; }

protected:
    virtual void run() = 0;
    virtual void onStart() {}
    virtual void onEnd() {}

    // For run bodies.
    bool stopRequested();
    // Waits on the stop signal; returns true when stop was requested meanwhile.
    bool pause(int milliseconds);

    LLockObject lock_;
    LSignalObject stopSignal_;

private:
    struct Control;
    struct Run;
    static void entry(std::shared_ptr<Control> control, LThread* self, std::shared_ptr<Run> run);
    std::shared_ptr<Control> control_;
};

// Applies `priority` to the kernel thread `tid` (0: the calling thread).
// Returns false when the system refused; callers ignore that.
bool applyThreadPriority(int tid, ThreadPriority priority);

// A worker that posts a bare message to a registered PostWindow when it
// starts and when it ends.  The target is guarded by lock().
class LThreadNotify : public LThread {
public:
    ~LThreadNotify() override;

    // Interface thread: set (or clear with nullptr) the notify target.
    void setNotifyTarget(PostWindow* window, uint32_t message);

protected:
    void onStart() override;
    void onEnd() override;
    // Posts the notify message (0, 0) under the lock if a target is set.
    void postNotify();

    PostWindow* notifyWindow_ = nullptr;  // guarded by lock()
    uint32_t notifyMessage_ = 0;          // guarded by lock()
};

// A notifying worker with a progress fraction (0 = nothing to show, else 0..1).
class LThreadNotifyProgress : public LThreadNotify {
public:
    float progress() const { return progress_.load(); }

protected:
    std::atomic<float> progress_{0.0f};
};

}  // namespace typix
