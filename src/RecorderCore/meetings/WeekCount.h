#pragma once

#include "meetings/Calendar.h"
#include "recordings/RecordDate.h"
#include "recordings/Recording.h"

#include <array>
#include <vector>

namespace murva {

// The saved recordings of the current week, which starts on Monday in the given
// calendar and ends at `now`.
struct WeekCount {
    int calls = 0;
    double seconds = 0;         // summed durations
    std::array<int, 7> days{};  // recordings per day, Monday first

    static WeekCount of(const std::vector<Recording> &recordings, SystemTime now,
                        const Calendar &calendar);

    bool operator==(const WeekCount &) const = default;
};

} // namespace murva
