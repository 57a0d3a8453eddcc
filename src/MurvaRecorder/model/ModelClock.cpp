#include "model/ModelClock.h"

#include <QPointer>
#include <QTimer>

namespace murva {
namespace {

class TimerAlarm : public ClockAlarm {
public:
    TimerAlarm(double intervalSec, bool repeating, std::function<void()> fire) : timer_(new QTimer)
    {
        timer_->setSingleShot(!repeating);
        timer_->setInterval(int(intervalSec * 1000));
        QObject::connect(timer_, &QTimer::timeout, timer_, std::move(fire));
        timer_->start();
    }

    // The alarm may be dropped from inside its own firing, so the timer goes later.
    ~TimerAlarm() override
    {
        if (timer_) {
            timer_->stop();
            timer_->deleteLater();
        }
    }

private:
    QPointer<QTimer> timer_;
};

} // namespace

SystemTime SystemModelClock::now() const
{
    return std::chrono::system_clock::now();
}

std::unique_ptr<ClockAlarm> SystemModelClock::after(double delaySec, std::function<void()> fire)
{
    return std::make_unique<TimerAlarm>(delaySec, false, std::move(fire));
}

std::unique_ptr<ClockAlarm> SystemModelClock::every(double intervalSec, std::function<void()> fire)
{
    return std::make_unique<TimerAlarm>(intervalSec, true, std::move(fire));
}

} // namespace murva
