#pragma once
#include <mutex>

namespace typix {

// A recursive lock: the owning thread may take it again.  No try-lock, no time-out.
class LLockObject {
public:
    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }

private:
    std::recursive_mutex mutex_;
};

// Scope guard for LLockObject (std::lock_guard works too).
using LLock = std::lock_guard<LLockObject>;

}  // namespace typix
