#pragma once

#include <QObject>
#include <QThread>

#include <coroutine>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace murva {

// Awaitable that runs a blocking job on a thread of its own and resumes the awaiting
// coroutine on the thread it was suspended on (which needs a running Qt event loop), with
// the job's result. The job must not throw: return errors as values. It may outlive the
// awaiting object: capture what it needs by value, and check that object after resuming.
//
// Keep it in a named variable and co_await that: GCC 12 destroys some class-type
// temporaries of a co_await expression twice.
template <typename Result>
class WorkerJob {
public:
    explicit WorkerJob(std::function<Result()> job) : job_(std::move(job)) {}

    bool await_ready() const noexcept { return false; }

    void await_suspend(std::coroutine_handle<> awaiting)
    {
        QThread *worker = QThread::create([job = std::move(job_), result = result_] { result->emplace(job()); });
        // `worker` lives on the awaiting thread, so both run there, in this order, once the
        // job is over. QCoro keeps a started coroutine's frame until it completes.
        QObject::connect(worker, &QThread::finished, worker, [awaiting] { awaiting.resume(); });
        QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
        worker->start(QThread::LowPriority);
    }

    Result await_resume() { return std::move(**result_); }

private:
    std::function<Result()> job_;
    std::shared_ptr<std::optional<Result>> result_ = std::make_shared<std::optional<Result>>();
};

template <typename Job>
auto runOnWorker(Job job) -> WorkerJob<std::invoke_result_t<Job &>>
{
    return WorkerJob<std::invoke_result_t<Job &>>(std::move(job));
}

} // namespace murva
