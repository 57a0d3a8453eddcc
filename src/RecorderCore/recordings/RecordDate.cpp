#include "recordings/RecordDate.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace murva {

namespace {

using Nanoseconds = std::chrono::nanoseconds;
constexpr std::int64_t nanosecondsPerMillisecond = 1'000'000;

// The whole milliseconds and the nanoseconds left over, the remainder always in
// [0, 1 000 000) so that times before 1970 split the same way.
struct MillisecondSplit {
    std::int64_t wholeMilliseconds;
    std::int64_t restNanoseconds;
};

MillisecondSplit split(Nanoseconds sinceEpoch)
{
    std::int64_t whole = sinceEpoch.count() / nanosecondsPerMillisecond;
    std::int64_t rest = sinceEpoch.count() % nanosecondsPerMillisecond;
    if (rest < 0) {
        whole -= 1;
        rest += nanosecondsPerMillisecond;
    }
    return {whole, rest};
}

} // namespace

double millisecondsSince1970(SystemTime time)
{
    const MillisecondSplit parts = split(std::chrono::duration_cast<Nanoseconds>(time.time_since_epoch()));
    // Adding the two halves rounds once at the end; converting the whole nanosecond
    // count to double first would lose digits above 2^53 ns (about 104 days).
    return static_cast<double>(parts.wholeMilliseconds) +
           static_cast<double>(parts.restNanoseconds) / nanosecondsPerMillisecond;
}

SystemTime timeFromMillisecondsSince1970(double milliseconds)
{
    constexpr double limit = static_cast<double>(std::numeric_limits<std::int64_t>::max() / nanosecondsPerMillisecond) - 1;
    if (std::isnan(milliseconds))
        return SystemTime{};
    if (milliseconds >= limit)
        return SystemTime{std::chrono::duration_cast<SystemTime::duration>(Nanoseconds(std::int64_t(limit) * nanosecondsPerMillisecond))};
    if (milliseconds <= -limit)
        return SystemTime{std::chrono::duration_cast<SystemTime::duration>(Nanoseconds(-std::int64_t(limit) * nanosecondsPerMillisecond))};

    const double whole = std::floor(milliseconds);
    const double fraction = milliseconds - whole; // exact: both are close doubles
    const auto nanoseconds = static_cast<std::int64_t>(whole) * nanosecondsPerMillisecond +
                             std::llround(fraction * nanosecondsPerMillisecond);
    return SystemTime{std::chrono::duration_cast<SystemTime::duration>(Nanoseconds(nanoseconds))};
}

QDateTime toQDateTime(SystemTime time)
{
    const auto milliseconds = std::chrono::floor<std::chrono::milliseconds>(time.time_since_epoch());
    return QDateTime::fromMSecsSinceEpoch(milliseconds.count(), Qt::UTC);
}

SystemTime timeFromQDateTime(const QDateTime &dateTime)
{
    return SystemTime{std::chrono::duration_cast<SystemTime::duration>(std::chrono::milliseconds(dateTime.toMSecsSinceEpoch()))};
}

double secondsBetween(SystemTime earlier, SystemTime later)
{
    return std::chrono::duration<double>(later - earlier).count();
}

} // namespace murva
