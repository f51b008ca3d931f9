// The queue of a Current Files folder of 10,000 dictations, measured as the
// window meets it:
//   listing          the listing a window makes before it shows (goal < 1 s)
//   arrival listed   one more dictation, listed in its new order (goal < 1 s)
//   places written   every record's new "List n of m", on the writer's thread
//   nothing changed  a rebuild whose places all stand already (goal < 0.3 s)
//   longest stall    the longest delay of a thread ticking every 10 ms (the
//                    interface thread's stand-in) while the places are written
//                    (goal < 100 ms)
// beside the floor: a plain loop that reads each record and renames a copy of
// it over the original, the least any rewrite of that many files costs.
//
// Usage: bench_queue [COUNT]   (folder under TYPIX_BENCH_DIR, else the
// current folder, so that it lies on a real disk rather than tmpfs)
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "store/DictationQueue.h"
#include "store/QueueFolderMaker.h"
#include "store/QueueStatusWriter.h"
#include "support/LFile.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Reads every record, optionally writing a copy beside it and renaming the
// copy over it.  The floor of a listing (read only) and of a rewrite.
double plainLoop(const std::string& folder, bool rename) {
    const auto start = Clock::now();
    char buffer[4096];
    for (typix::FolderIterator it(folder + "*.dat"); it.valid(); it.next()) {
        const int in = ::open(it.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) continue;
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        ::close(in);
        if (!rename || got < 0) continue;
        const std::string temp = it.path() + ".tmp";
        const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (out < 0) continue;
        const bool ok = ::write(out, buffer, size_t(got)) == got;
        ::close(out);
        if (ok) std::rename(temp.c_str(), it.path().c_str());
    }
    return secondsSince(start);
}

// Ticks every 10 ms and keeps the longest lateness of a tick.
class Ticker {
public:
    Ticker() : thread_([this] { tick(); }) {}
    ~Ticker() {
        done_ = true;
        thread_.join();
    }
    double longestStall() const { return longest_.load(); }

private:
    void tick() {
        auto next = Clock::now();
        while (!done_) {
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
            const double late = std::chrono::duration<double>(Clock::now() - next).count();
            if (late > longest_) longest_ = late;
            if (Clock::now() > next) next = Clock::now();
        }
    }
    std::atomic<bool> done_{false};
    std::atomic<double> longest_{0.0};
    std::thread thread_;
};

void ratio(const char* figure, double ours, const char* floorName, double floor, const char* goal) {
    std::printf("ratio queue-%s: ours %.3f s, %s %.3f s, ours/floor %.2fx (goal %s)\n", figure, ours,
                floorName, floor, floor > 0 ? ours / floor : 0.0, goal);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const char* base = std::getenv("TYPIX_BENCH_DIR");
    std::string folder = std::string(base && *base ? base : ".") + "/queue-bench-XXXXXX";
    if (!::mkdtemp(folder.data())) {
        std::perror("bench_queue: mkdtemp");
        return 1;
    }
    folder += "/";
    if (!typix::test::makeQueueFolder(folder, count)) {
        std::fprintf(stderr, "bench_queue: cannot fill %s\n", folder.c_str());
        return 1;
    }
    // Settle the places once, as a running program has them.
    typix::writeQueueStatuses(folder, typix::listQueue(folder));

    auto start = Clock::now();
    std::vector<typix::QueueEntry> queue = typix::listQueue(folder);
    const double listing = secondsSince(start);

    typix::test::writeStub(folder + "arrival.wav", "RIFF");
    typix::test::writeStub(folder + "arrival.dat", "[file]\nname=Arrival\ndate=1\npriority=High\n");
    double listed = 0, written = 0, stall = 0;
    {
        std::atomic<bool> done{false};
        typix::QueueStatusWriter writer([&done] { done = true; });
        Ticker ticker;
        start = Clock::now();
        queue = typix::listQueue(folder);
        listed = secondsSince(start);
        writer.submit(folder, std::move(queue), typix::StoredStatuses::Current);
        writer.waitUntilIdle(600000);
        written = secondsSince(start);
        stall = ticker.longestStall();
        if (!done) std::fprintf(stderr, "bench_queue: the places were not all written\n");
    }

    start = Clock::now();
    typix::writeQueueStatuses(folder, typix::listQueue(folder), typix::StoredStatuses::Current);
    const double unchanged = secondsSince(start);

    const double readFloor = plainLoop(folder, false);
    const double rewriteFloor = plainLoop(folder, true);

    std::printf("%d dictations in %s\n", count + 1, folder.c_str());
    std::printf("listing %.3f s, arrival listed %.3f s, places written %.3f s, nothing changed "
                "%.3f s, longest stall %.1f ms\n",
                listing, listed, written, unchanged, stall * 1000);
    std::printf("floor: read loop %.3f s, read and rename loop %.3f s\n", readFloor, rewriteFloor);
    ratio("listing", listing, "read+rename loop", rewriteFloor, "< 1 s");
    ratio("arrival-listed", listed, "read+rename loop", rewriteFloor, "< 1 s");
    ratio("places-written", written, "read+rename loop", rewriteFloor, "off the interface thread");
    ratio("nothing-changed", unchanged, "read+rename loop", rewriteFloor, "< 0.3 s");
    ratio("longest-stall", stall, "read+rename loop", rewriteFloor, "< 0.1 s");
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return 0;
}
