#include "accounts/AsyncMutex.h"

#include <QTimer>

#include <utility>

namespace murva {

AsyncMutex::Guard &AsyncMutex::Guard::operator=(Guard &&other) noexcept
{
    if (this != &other) {
        release();
        mutex_ = std::exchange(other.mutex_, nullptr);
    }
    return *this;
}

void AsyncMutex::Guard::release()
{
    if (mutex_ != nullptr) {
        std::exchange(mutex_, nullptr)->unlock();
    }
}

bool AsyncMutex::Locking::await_ready() noexcept
{
    if (mutex_.locked_) {
        return false;
    }
    mutex_.locked_ = true;
    return true;
}

void AsyncMutex::Locking::await_suspend(std::coroutine_handle<> waiter)
{
    mutex_.waiters_.push_back(waiter);
}

void AsyncMutex::unlock()
{
    if (waiters_.empty()) {
        locked_ = false;
        return;
    }
    // The lock passes straight to the next waiter, so nobody can overtake it.
    const std::coroutine_handle<> next = waiters_.front();
    waiters_.pop_front();
    QTimer::singleShot(0, [next] { next.resume(); });
}

} // namespace murva
