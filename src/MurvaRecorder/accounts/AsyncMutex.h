#pragma once

#include <coroutine>
#include <deque>

namespace murva {

// A lock for coroutines of one thread: a holder keeps it across its suspensions, later
// comers wait in arrival order. Used to let one change at a time reach the keychain.
//
//     auto locking = mutex.lock();            // a named awaitable (GCC 12, see QueueTask.h)
//     AsyncMutex::Guard guard = co_await locking;
//
// Waiters are resumed from the event loop, never inside `unlock`, so a releasing
// coroutine finishes its own step first. Needs a running Qt event loop.
class AsyncMutex {
public:
    class Guard {
    public:
        Guard() = default;
        explicit Guard(AsyncMutex *mutex) : mutex_(mutex) {}
        Guard(Guard &&other) noexcept : mutex_(other.mutex_) { other.mutex_ = nullptr; }
        Guard &operator=(Guard &&other) noexcept;
        Guard(const Guard &) = delete;
        Guard &operator=(const Guard &) = delete;
        ~Guard() { release(); }

        void release();

    private:
        AsyncMutex *mutex_ = nullptr;
    };

    class Locking {
    public:
        explicit Locking(AsyncMutex &mutex) : mutex_(mutex) {}
        bool await_ready() noexcept;
        void await_suspend(std::coroutine_handle<> waiter);
        Guard await_resume() noexcept { return Guard(&mutex_); }

    private:
        AsyncMutex &mutex_;
    };

    AsyncMutex() = default;
    AsyncMutex(const AsyncMutex &) = delete;
    AsyncMutex &operator=(const AsyncMutex &) = delete;

    Locking lock() { return Locking(*this); }
    bool isLocked() const { return locked_; }

private:
    friend class Guard;
    void unlock();

    bool locked_ = false;
    std::deque<std::coroutine_handle<>> waiters_;
};

} // namespace murva
