#pragma once

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/thread-mainloop.h>

#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace murva {

// One threaded main loop of libpulse and one context on it, with bounded waits.
//
// Everything that touches the context runs either on the loop thread (inside a
// callback) or on another thread holding `Lock`. Waiting helpers must be called with
// the lock held; they release it while they sleep.
class PulseConnection {
public:
    using Deadline = std::chrono::steady_clock::time_point;

    // Holds the loop's lock for its scope; a no-op on the loop thread, which holds it.
    class Lock {
    public:
        explicit Lock(PulseConnection &connection);
        ~Lock();
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;

    private:
        pa_threaded_mainloop *loop_;
    };

    PulseConnection();
    // Stops the loop thread and frees everything. Must not run on the loop thread.
    ~PulseConnection();

    PulseConnection(const PulseConnection &) = delete;
    PulseConnection &operator=(const PulseConnection &) = delete;

    // Called on the loop thread, lock held, when the context fails or ends after it
    // was ready. Set before `connect`.
    std::function<void()> onLost;

    // Starts the loop and connects to `server` (the default server when empty), never
    // spawning one. Returns once the context is ready, or an error text when it fails
    // or the deadline passes. Lock not held.
    std::optional<QString> connect(const std::string &server, Deadline deadline);

    // Stops the loop thread; after it returns no callback of this connection runs.
    // Lock not held; not on the loop thread.
    void stopLoop();

    // Lock held. Sleeps until `done` holds, the context is no longer usable, or the
    // deadline passes. Every callback that changes state must call `wake`.
    bool waitUntil(const std::function<bool()> &done, Deadline deadline);

    // Lock held. Waits for an operation to complete and releases it; cancels it when the
    // deadline passes first, so its callback never runs after this returns.
    bool finish(pa_operation *operation, Deadline deadline);

    // Lock held. The default sink's monitor source: the computer's sound.
    std::optional<std::string> defaultSinkMonitor(Deadline deadline);

    void wake();
    bool inLoopThread() const;
    bool isReady() const;
    QString lastError() const;
    pa_context *context() const { return context_; }
    pa_threaded_mainloop *loop() const { return loop_; }

private:
    static void onContextState(pa_context *context, void *self);

    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    bool wasReady_ = false;
};

} // namespace murva
