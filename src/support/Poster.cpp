#include "support/Poster.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace typix {

namespace {
std::atomic<Poster*> gInterfacePoster{nullptr};
}

Poster* interfacePoster() { return gInterfacePoster.load(std::memory_order_acquire); }

void setInterfacePoster(Poster* poster) {
    gInterfacePoster.store(poster, std::memory_order_release);
}

struct QueuePoster::Impl {
    mutable std::mutex mutex;
    std::condition_variable queued;
    std::deque<std::function<void()>> calls;

    // Takes the oldest call, or an empty function when none is queued.
    std::function<void()> take() {
        std::lock_guard<std::mutex> guard(mutex);
        if (calls.empty()) return {};
        std::function<void()> call = std::move(calls.front());
        calls.pop_front();
        return call;
    }
};

QueuePoster::QueuePoster() : impl_(std::make_unique<Impl>()) {}
QueuePoster::~QueuePoster() = default;

void QueuePoster::post(std::function<void()> call) {
    if (!call) return;
    {
        std::lock_guard<std::mutex> guard(impl_->mutex);
        impl_->calls.push_back(std::move(call));
    }
    impl_->queued.notify_all();
}

int QueuePoster::runPending() {
    int ran = 0;
    // Calls run outside the lock so that they may post again.
    while (std::function<void()> call = impl_->take()) {
        call();
        ++ran;
    }
    return ran;
}

int QueuePoster::waitAndRun(int timeoutMs) {
    {
        std::unique_lock<std::mutex> guard(impl_->mutex);
        impl_->queued.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                               [this] { return !impl_->calls.empty(); });
    }
    return runPending();
}

int QueuePoster::pendingCount() const {
    std::lock_guard<std::mutex> guard(impl_->mutex);
    return static_cast<int>(impl_->calls.size());
}

// Shared between the window and every message in flight.  `mutex` is held
// while a handler runs, so a window destroyed from another thread waits for a
// running handler; it is recursive so that a handler may destroy its own window.
struct PostWindow::State {
    std::recursive_mutex mutex;
    bool alive = true;
    Handler handler;
    Poster* poster = nullptr;

    void deliver(uint32_t message, uintptr_t wParam, intptr_t lParam) {
        std::lock_guard<std::recursive_mutex> guard(mutex);
        if (alive && handler) handler(message, wParam, lParam);
    }
};

PostWindow::PostWindow(Handler handler, Poster* poster) : state_(std::make_shared<State>()) {
    state_->handler = std::move(handler);
    state_->poster = poster;
}

PostWindow::~PostWindow() {
    std::lock_guard<std::recursive_mutex> guard(state_->mutex);
    state_->alive = false;
}

bool PostWindow::post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Poster* poster = state_->poster ? state_->poster : interfacePoster();
    if (!poster) return false;
    std::shared_ptr<State> state = state_;
    poster->post([state, message, wParam, lParam] { state->deliver(message, wParam, lParam); });
    return true;
}

}  // namespace typix
