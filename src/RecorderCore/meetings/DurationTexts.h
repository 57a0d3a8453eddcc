#pragma once

#include "recordings/RecordDate.h"

#include <QString>

#include <optional>

namespace murva {

// Short texts for the menu and the home window. They read the same in every language
// ("min", "h", "s"), so they are composed here rather than looked up in the text tables.

// Minutes rounded to the nearest, at least 1: "1 min", "59 min", "1 h 00", "2 h 05".
QString durationText(double seconds);

// As durationText but without the minimum: 0 seconds is "0 min".
QString hoursText(double seconds);

// The time left until `date`, rounded up to whole seconds and then to whole minutes
// from 60 s on: "1 s" (any part of a second ahead), "59 s", "2 min", "59 min", "1 h 00".
// Nothing once `date` has come.
std::optional<QString> untilText(SystemTime date, SystemTime now);

} // namespace murva
