#pragma once

#include "recordings/RecordDate.h"

#include <coroutine>
#include <functional>
#include <memory>

namespace murva {

// A pending firing of the clock; destroying it cancels the firing.
class ClockAlarm {
public:
    virtual ~ClockAlarm() = default;
};

// The time the recording flow runs on: the date now, and timers. Every timing rule of
// the flow goes through it, so that tests can move time forward without waiting.
class ModelClock {
public:
    virtual ~ModelClock() = default;

    virtual SystemTime now() const = 0;

    // Runs `fire` once, on the main thread, after `delaySec`, unless the alarm is gone.
    virtual std::unique_ptr<ClockAlarm> after(double delaySec, std::function<void()> fire) = 0;

    // Runs `fire` every `intervalSec` for as long as the alarm lives.
    virtual std::unique_ptr<ClockAlarm> every(double intervalSec, std::function<void()> fire) = 0;
};

// The wall clock and Qt timers on the current thread.
class SystemModelClock : public ModelClock {
public:
    SystemTime now() const override;
    std::unique_ptr<ClockAlarm> after(double delaySec, std::function<void()> fire) override;
    std::unique_ptr<ClockAlarm> every(double intervalSec, std::function<void()> fire) override;
};

// `co_await sleepOn(clock, 0.5)`: resumes after that long on `clock`. Destroying the
// waiting coroutine cancels the wake-up.
class ClockSleep {
public:
    ClockSleep(ModelClock &clock, double sec) : clock_(clock), sec_(sec) {}

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiting)
    {
        alarm_ = clock_.after(sec_, [waiting] { waiting.resume(); });
    }
    void await_resume() noexcept {}

private:
    ModelClock &clock_;
    double sec_;
    std::unique_ptr<ClockAlarm> alarm_;
};

inline ClockSleep sleepOn(ModelClock &clock, double sec)
{
    return ClockSleep(clock, sec);
}

} // namespace murva
