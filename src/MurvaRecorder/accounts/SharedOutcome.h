#pragma once

#include <QTimer>

#include <coroutine>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

namespace murva {

// The outcome of one piece of work that several coroutines await: each waiter gets the
// same value, or the same exception rethrown. Main thread only; waiters resume from the
// event loop.
//
//     auto waiting = outcome->wait(); // a named awaitable (GCC 12, see QueueTask.h)
//     T value = co_await waiting;
template <typename T>
class SharedOutcome {
public:
    class Waiting {
    public:
        explicit Waiting(SharedOutcome &outcome) : outcome_(outcome) {}
        bool await_ready() const noexcept { return outcome_.isDone(); }
        void await_suspend(std::coroutine_handle<> waiter) { outcome_.waiters_.push_back(waiter); }
        T await_resume() const
        {
            if (outcome_.error_) {
                std::rethrow_exception(outcome_.error_);
            }
            return *outcome_.value_;
        }

    private:
        SharedOutcome &outcome_;
    };

    bool isDone() const { return value_.has_value() || error_ != nullptr; }

    void succeed(T value)
    {
        value_.emplace(std::move(value));
        wake();
    }

    void fail(std::exception_ptr error)
    {
        error_ = std::move(error);
        wake();
    }

    Waiting wait() { return Waiting(*this); }

private:
    void wake()
    {
        for (std::coroutine_handle<> waiter : std::exchange(waiters_, {})) {
            QTimer::singleShot(0, [waiter] { waiter.resume(); });
        }
    }

    std::optional<T> value_;
    std::exception_ptr error_;
    std::vector<std::coroutine_handle<>> waiters_;
};

} // namespace murva
