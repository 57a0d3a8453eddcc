#pragma once

#include "LoopWatchdog.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <concepts>
#include <functional>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>

namespace murva::test {

// A task that did not finish within the time limit of await().
class AwaitTimedOut : public std::runtime_error {
public:
    AwaitTimedOut() : std::runtime_error("the awaited task did not finish in time") {}
};

template <typename T>
struct AwaitState {
    QCoro::Task<T> task;
    QEventLoop loop;
    bool done = false;
    std::exception_ptr error;
    std::optional<std::conditional_t<std::is_void_v<T>, bool, T>> result;
};

// Holds its own share of the state: a task that outlives a timed-out await() still
// finishes into memory that exists.
template <typename T>
QCoro::Task<> runToEnd(const std::shared_ptr<AwaitState<T>> &shared)
{
    const std::shared_ptr<AwaitState<T>> state = shared;
    try {
        if constexpr (std::is_void_v<T>) {
            co_await state->task;
        } else {
            state->result.emplace(co_await state->task);
        }
    } catch (...) {
        state->error = std::current_exception();
    }
    state->done = true;
    state->loop.quit();
}

// Runs the event loop until the task that `start` gives is done and hands back its
// result, rethrowing what it threw (QCoro::waitFor would wait forever on a task that
// throws). Throws AwaitTimedOut after `limit`. With the loop watchdog on, a stall of
// the event loop fails the test, counting from before the task is made: a task runs at
// once up to its first wait, and that part must not block either.
template <typename T>
T awaitStarted(const std::function<QCoro::Task<T>()> &start, std::chrono::milliseconds limit)
{
    std::optional<LoopWatchdog> watchdog;
    if (LoopWatchdog::onForEveryAwait()) {
        watchdog.emplace();
    }
    auto state = std::make_shared<AwaitState<T>>();
    state->task = start();
    auto running = runToEnd(state);
    if (!state->done) {
        QTimer::singleShot(limit, &state->loop, [loop = &state->loop] { loop->quit(); });
        state->loop.exec();
    }
    if (watchdog) {
        const std::chrono::milliseconds stall = watchdog->stop();
        EXPECT_LE(stall.count(), LoopWatchdog::stallLimit.count())
            << "the event loop stood still for " << stall.count() << " ms";
    }
    if (!state->done) {
        throw AwaitTimedOut();
    }
    if (state->error) {
        std::rethrow_exception(state->error);
    }
    if constexpr (!std::is_void_v<T>) {
        return std::move(*state->result);
    }
}

// Runs the event loop until `condition` holds; false when `limitSec` passed first.
inline bool waitFor(const std::function<bool()> &condition, double limitSec)
{
    const QDeadlineTimer deadline(qint64(limitSec * 1000));
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        // A short loop sleeps while nothing happens; processEvents with a time would spin.
        QEventLoop pause;
        QTimer::singleShot(20, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return true;
}

inline constexpr std::chrono::milliseconds defaultAwaitLimit = std::chrono::seconds(60);

// Awaits a task made earlier; what it did before its first wait is not watched.
template <typename T>
T await(QCoro::Task<T> task, std::chrono::milliseconds limit = defaultAwaitLimit)
{
    return awaitStarted<T>([&task] { return std::move(task); }, limit);
}

//     await([&] { return model->refreshNext(); });
template <typename Start>
    requires std::invocable<Start &>
auto await(Start start, std::chrono::milliseconds limit = defaultAwaitLimit)
{
    using T = typename std::invoke_result_t<Start &>::value_type;
    return awaitStarted<T>(start, limit);
}

// What a task (or the task that a start gives, as for await()) threw as an E; nothing
// when it finished. Anything else it throws goes on.
//     EXPECT_EQ(thrownBy<SaveError>(api.me()), SaveError::signIn);
template <typename E, typename Awaited>
std::optional<E> thrownBy(Awaited &&awaited)
{
    try {
        await(std::forward<Awaited>(awaited));
    } catch (const E &error) {
        return error;
    }
    return std::nullopt;
}

} // namespace murva::test
