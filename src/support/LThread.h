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
//     memory.  Every derived destructor must call stop() first.
//  5. Notifications carry no data: the receiver reads the worker's fields.
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
    bool isRunning() const;

    // Changes the priority of the running thread (from the worker itself).
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
    std::shared_ptr<Control> control_;
};

// A worker that posts a bare message to a registered PostWindow when it
// starts and when it ends.  The target is guarded by lock().
class LThreadNotify : public LThread {
public:
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
