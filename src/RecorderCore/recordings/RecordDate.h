#pragma once

#include <QDateTime>

#include <chrono>

namespace murva {

// A moment in wall-clock time. Kept as a system-clock time point (nanoseconds on
// Linux) rather than QDateTime, because records store dates as fractional
// milliseconds since 1970 and QDateTime would cut the fraction off.
using SystemTime = std::chrono::system_clock::time_point;

// Milliseconds since 1970-01-01 00:00:00 UTC, fraction included: the date form of
// the record files and of the service's wire.
double millisecondsSince1970(SystemTime time);

// The inverse of millisecondsSince1970; values that came from it come back exactly.
// Values outside the range of SystemTime (about ±292 years around 1970) are clamped.
SystemTime timeFromMillisecondsSince1970(double milliseconds);

// For display and for code that works in Qt's dates; drops anything below a millisecond.
QDateTime toQDateTime(SystemTime time);
SystemTime timeFromQDateTime(const QDateTime &dateTime);

// The signed number of seconds from `earlier` to `later`.
double secondsBetween(SystemTime earlier, SystemTime later);

} // namespace murva
