#include "support/Poster.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace typix {
namespace {

struct Received {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    bool operator==(const Received&) const = default;
};

TEST(QueuePoster, RunsCallsInOrderIncludingThosePostedWhileRunning) {
    QueuePoster poster;
    std::vector<int> order;
    poster.post([&] { order.push_back(1); });
    poster.post([&] {
        order.push_back(2);
        poster.post([&] { order.push_back(4); });
    });
    poster.post([&] { order.push_back(3); });
    EXPECT_EQ(poster.pendingCount(), 3);
    EXPECT_EQ(poster.runPending(), 4);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(poster.pendingCount(), 0);
}

TEST(QueuePoster, WaitAndRunWakesOnAPostFromAnotherThreadOrTimesOut) {
    QueuePoster poster;
    EXPECT_EQ(poster.waitAndRun(10), 0);
    bool ran = false;
    std::thread worker([&] { poster.post([&] { ran = true; }); });
    EXPECT_EQ(poster.waitAndRun(5000), 1);
    worker.join();
    EXPECT_TRUE(ran);
}

TEST(PostWindow, DeliversMessagesFromManyThreadsInPostingOrderPerThread) {
    QueuePoster poster;
    std::vector<Received> got;
    PostWindow window([&](uint32_t m, uintptr_t w, intptr_t l) { got.push_back({m, w, l}); }, &poster);
    std::vector<std::thread> threads;
    for (uint32_t t = 0; t < 4; ++t)
        threads.emplace_back([&window, t] {
            for (uintptr_t i = 0; i < 100; ++i) EXPECT_TRUE(window.post(1025 + t, i, -1));
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(poster.runPending(), 400);
    ASSERT_EQ(got.size(), 400u);
    uintptr_t next[4] = {};
    for (const Received& r : got) {
        ASSERT_LT(r.message - 1025, 4u);
        EXPECT_EQ(r.wParam, next[r.message - 1025]++);
        EXPECT_EQ(r.lParam, -1);
    }
}

TEST(PostWindow, MessagesInFlightAreDroppedOnceTheWindowIsGone) {
    QueuePoster poster;
    int delivered = 0;
    auto window = std::make_unique<PostWindow>([&](uint32_t, uintptr_t, intptr_t) { ++delivered; },
                                               &poster);
    window->post(1041);
    window->post(1041);
    window.reset();
    EXPECT_EQ(poster.runPending(), 2);
    EXPECT_EQ(delivered, 0);
}

TEST(PostWindow, HandlerMayDestroyItsOwnWindow) {
    QueuePoster poster;
    std::unique_ptr<PostWindow> window;
    int delivered = 0;
    window = std::make_unique<PostWindow>(
        [&](uint32_t, uintptr_t, intptr_t) {
            ++delivered;
            window.reset();
        },
        &poster);
    window->post(1);
    window->post(2);
    poster.runPending();
    EXPECT_EQ(delivered, 1);
}

TEST(PostWindow, WithoutAnyPosterThePostIsLost) {
    ASSERT_EQ(interfacePoster(), nullptr);
    int delivered = 0;
    PostWindow window([&](uint32_t, uintptr_t, intptr_t) { ++delivered; });
    EXPECT_FALSE(window.post(1041));

    QueuePoster poster;
    setInterfacePoster(&poster);  // looked up at post time, not at construction
    EXPECT_TRUE(window.post(1041));
    EXPECT_EQ(poster.runPending(), 1);
    setInterfacePoster(nullptr);
    EXPECT_EQ(delivered, 1);
}

}  // namespace
}  // namespace typix
