#pragma once

#include <QString>

namespace murva {

// Elapsed time for display: "01:15" below an hour, "1:01:01" from an hour on.
// Fractions are cut off; negative and NaN durations show as "00:00", and durations
// too large for a 64-bit count of seconds show as the largest one.
QString clock(double seconds);

} // namespace murva
