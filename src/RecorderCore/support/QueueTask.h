#pragma once

#include "support/SerialQueue.h"

#include <QMetaObject>
#include <QObject>

#include <coroutine>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

namespace murva {

// Awaitable that runs a job on a serial queue and resumes the awaiting coroutine on the
// thread it was suspended on (which needs a running Qt event loop), with the job's result.
// The job must not throw: return errors as values.
//
// Keep it in a named variable and co_await that: GCC 12 destroys some class-type
// temporaries of a co_await expression twice.
template <typename Result>
class QueueJob {
public:
    QueueJob(SerialQueue &queue, std::function<Result()> job) : queue_(queue), job_(std::move(job)) {}

    bool await_ready() const noexcept { return false; }

    void await_suspend(std::coroutine_handle<> awaiting)
    {
        // Lives in the awaiting thread, so the queued call below resumes there.
        auto *home = new QObject;
        queue_.submit([this, awaiting, home] {
            if constexpr (std::is_void_v<Result>) {
                job_();
            } else {
                result_.emplace(job_());
            }
            QMetaObject::invokeMethod(home, [home, awaiting] {
                home->deleteLater();
                awaiting.resume();
            }, Qt::QueuedConnection);
        });
    }

    Result await_resume()
    {
        if constexpr (!std::is_void_v<Result>) {
            return std::move(*result_);
        }
    }

private:
    using Stored = std::conditional_t<std::is_void_v<Result>, bool, Result>;

    SerialQueue &queue_;
    std::function<Result()> job_;
    std::optional<Stored> result_;
};

template <typename Job>
auto runOnQueue(SerialQueue &queue, Job job) -> QueueJob<std::invoke_result_t<Job &>>
{
    return QueueJob<std::invoke_result_t<Job &>>(queue, std::move(job));
}

} // namespace murva
