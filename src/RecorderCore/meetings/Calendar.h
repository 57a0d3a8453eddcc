#pragma once

#include "recordings/RecordDate.h"

#include <QCalendar>
#include <QDate>
#include <QTimeZone>

#include <optional>

namespace murva {

// The calendar that dates are read in: a calendar system and a time zone. Passed in
// explicitly so that nothing here reads the machine's clock or zone behind the caller's
// back, and tests can pin both.
struct Calendar {
    QTimeZone zone = QTimeZone::utc();
    QCalendar system = QCalendar(QCalendar::System::Gregorian);

    // The machine's time zone in the Gregorian calendar.
    static Calendar current();

    // The calendar date that `at` falls on.
    QDate date(SystemTime at) const;

    // The first moment of the day that `at` falls on (midnight, or the first moment
    // after it on days that skip midnight); nothing when the calendar cannot say.
    std::optional<SystemTime> startOfDay(SystemTime at) const;
    // The first moment of `date`; nothing when the calendar cannot say.
    std::optional<SystemTime> startOfDay(QDate date) const;
};

} // namespace murva
