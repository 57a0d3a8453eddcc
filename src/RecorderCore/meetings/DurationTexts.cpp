#include "meetings/DurationTexts.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace murva {

namespace {

// Far beyond any meeting, and small enough that the rounding below stays defined.
constexpr double longestSec = 1e15;

// Whole minutes, halves away from zero. Inputs that are not finite count as 0, and
// absurd ones are held to ±longestSec.
long long roundedMinutes(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    return std::llround(std::clamp(seconds, -longestSec, longestSec) / 60);
}

QString minutesText(long long minutes)
{
    if (minutes > 59)
        return QString::asprintf("%lld h %02lld", minutes / 60, minutes % 60);
    return QString::number(minutes) + QLatin1String(" min");
}

// Exact for nearby dates (a nanosecond ahead still counts); held at the clock's range
// when two far-apart dates would overflow its count.
double secondsFrom(SystemTime earlier, SystemTime later)
{
    using Duration = SystemTime::duration;
    Duration::rep difference = 0;
    if (__builtin_sub_overflow(later.time_since_epoch().count(), earlier.time_since_epoch().count(), &difference))
        difference = later > earlier ? std::numeric_limits<Duration::rep>::max() : std::numeric_limits<Duration::rep>::min();
    return std::chrono::duration<double>(Duration(difference)).count();
}

} // namespace

QString durationText(double seconds)
{
    const long long minutes = roundedMinutes(seconds);
    return minutesText(minutes <= 0 ? 1 : minutes);
}

QString hoursText(double seconds)
{
    return minutesText(roundedMinutes(seconds));
}

std::optional<QString> untilText(SystemTime date, SystemTime now)
{
    const double left = secondsFrom(now, date);
    const long long seconds = static_cast<long long>(std::ceil(std::min(left, longestSec)));
    if (seconds < 1)
        return std::nullopt;
    if (seconds <= 59)
        return QString::number(seconds) + QLatin1String(" s");
    // Minutes rounded up: 3540 s is still "59 min", 3541 s already "1 h 00".
    return minutesText((seconds + 59) / 60);
}

} // namespace murva
