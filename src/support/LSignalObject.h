#pragma once
#include <condition_variable>
#include <mutex>

namespace typix {

// A manual-reset event, created not signalled.  Once set it stays set until reset.
// Every operation is thread-safe.
class LSignalObject {
public:
    void set();
    void reset();
    // True when signalled (a wait of 0 ms that does not time out).
    bool test();
    // Waits up to `milliseconds` (a negative value: without limit) for the
    // signal; true when it was set in time.
    bool wait(int milliseconds);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_ = false;
};

}  // namespace typix
