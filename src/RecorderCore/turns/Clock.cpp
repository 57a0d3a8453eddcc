#include "turns/Clock.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace murva {

namespace {

// Truncated toward zero, at least 0, and within range: a plain cast of NaN, infinity
// or anything from 2^63 on would be undefined.
std::int64_t wholeSeconds(double seconds)
{
    if (!(seconds > 0))
        return 0;
    if (seconds >= 0x1p63)
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(seconds);
}

} // namespace

QString clock(double seconds)
{
    const std::int64_t whole = wholeSeconds(seconds);
    const QString minutes = QString::asprintf("%02d:%02d", static_cast<int>(whole % 3600 / 60), static_cast<int>(whole % 60));
    if (whole < 3600)
        return minutes;
    return QString::number(whole / 3600) + QLatin1Char(':') + minutes;
}

} // namespace murva
