#include "support/LSignalObject.h"

#include <chrono>

namespace typix {

void LSignalObject::set() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        signalled_ = true;
    }
    changed_.notify_all();
}

void LSignalObject::reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    signalled_ = false;
}

bool LSignalObject::test() {
    std::lock_guard<std::mutex> guard(mutex_);
    return signalled_;
}

bool LSignalObject::wait(int milliseconds) {
    std::unique_lock<std::mutex> guard(mutex_);
    if (milliseconds < 0) {
        changed_.wait(guard, [this] { return signalled_; });
        return true;
    }
    return changed_.wait_for(guard, std::chrono::milliseconds(milliseconds),
                             [this] { return signalled_; });
}

}  // namespace typix
