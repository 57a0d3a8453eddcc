#include "LoopWatchdog.h"

#include "Files.h"

#include <algorithm>

namespace murva::test {
namespace {

constexpr std::chrono::milliseconds tickInterval{10};

// Nanoseconds this thread has spent runnable but waiting for a processor.
std::int64_t runDelayNs()
{
    const QList<QByteArray> fields = readFile(QStringLiteral("/proc/thread-self/schedstat")).split(' ');
    return fields.size() >= 2 ? fields.at(1).toLongLong() : 0;
}

} // namespace

bool &LoopWatchdog::onForEveryAwait()
{
    static bool on = false;
    return on;
}

LoopWatchdog::LoopWatchdog()
{
    ticker_.setTimerType(Qt::PreciseTimer);
    ticker_.setInterval(tickInterval);
    QObject::connect(&ticker_, &QTimer::timeout, [this] { tick(); });
    runDelayNs_ = runDelayNs();
    sinceTick_.start();
    ticker_.start();
}

void LoopWatchdog::tick()
{
    const std::int64_t delayNs = runDelayNs();
    const std::int64_t gapNs = sinceTick_.nsecsElapsed();
    const std::int64_t stallNs = gapNs - (delayNs - runDelayNs_) - std::chrono::nanoseconds(tickInterval).count();
    longestStallNs_ = std::max(longestStallNs_, stallNs);
    runDelayNs_ = delayNs;
    sinceTick_.restart();
}

std::chrono::milliseconds LoopWatchdog::stop()
{
    ticker_.stop();
    tick();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::nanoseconds(longestStallNs_));
}

} // namespace murva::test
