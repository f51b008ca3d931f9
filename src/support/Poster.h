#pragma once
// The core's only road to the interface thread.
//
// A worker never calls the interface directly: it posts a message to a
// PostWindow, and the PostWindow's handler runs later on the interface thread
// (the thread that owns the Poster).  The Qt front end installs a Poster that
// queues calls on the Qt event loop; tests install a QueuePoster and run its
// queue by hand.  Nothing here includes a toolkit.
#include <cstdint>
#include <functional>
#include <memory>

namespace typix {

// Runs posted calls on the interface thread, in the order they were posted.
class Poster {
public:
    virtual ~Poster() = default;
    // Thread-safe and never blocks.  `call` runs later on the interface thread.
    virtual void post(std::function<void()> call) = 0;
};

// The process-wide poster.  Set once by the front end (or a test) before any
// PostWindow is made; null means "no interface": posts are dropped.
Poster* interfacePoster();
void setInterfacePoster(Poster* poster);

// A test poster: calls pile up until runPending() runs them on the caller's
// thread, which thereby plays the interface thread.  post() may be called from
// any thread; the run functions from one thread at a time.
class QueuePoster : public Poster {
public:
    QueuePoster();
    ~QueuePoster() override;
    QueuePoster(const QueuePoster&) = delete;
    QueuePoster& operator=(const QueuePoster&) = delete;

    void post(std::function<void()> call) override;
    // Runs every call posted so far (and those they post in turn); returns how many ran.
    int runPending();
    // Waits up to `timeoutMs` for at least one call to be queued, then runs the queue.
    int waitAndRun(int timeoutMs);
    int pendingCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The stand-in for a hidden notification window.  Messages posted to it from
// any thread are delivered to its handler on the interface thread, in order.
// Normally owned and destroyed on the interface thread; once destroyed,
// messages still in flight are dropped, never delivered, so a handler never
// runs on a dead object.  A destruction on another thread waits for a handler
// that is running, and a handler may destroy its own window.
class PostWindow {
public:
    using Handler = std::function<void(uint32_t message, uintptr_t wParam, intptr_t lParam)>;
    explicit PostWindow(Handler handler, Poster* poster = nullptr);  // null: interfacePoster()
    ~PostWindow();
    PostWindow(const PostWindow&) = delete;
    PostWindow& operator=(const PostWindow&) = delete;

    // Thread-safe.  Returns false when there is no poster (the message is lost,
    // as a post to a missing window is).  With no poster given at construction
    // the process-wide interfacePoster() is looked up at each post.
    bool post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace typix
