#include "meetings/WeekCount.h"

namespace murva {

namespace {

// Monday of the week that holds `day`. Qt numbers week days from Monday (1) in every
// calendar system, which is the first day we want whatever the user's locale says.
QDate mondayOf(QDate day, const QCalendar &calendar)
{
    return day.addDays(1 - calendar.dayOfWeek(day));
}

} // namespace

WeekCount WeekCount::of(const std::vector<Recording> &recordings, SystemTime now, const Calendar &calendar)
{
    const QDate today = calendar.date(now);
    const QDate monday = today.isValid() ? mondayOf(today, calendar.system) : QDate();
    const SystemTime weekStart = calendar.startOfDay(monday).value_or(now);

    WeekCount week;
    for (const Recording &recording : recordings) {
        if (recording.status != Recording::Status::saved || recording.at < weekStart || recording.at > now)
            continue;
        week.calls += 1;
        week.seconds += recording.durationSec;
        // Days are counted between calendar dates, not in 24-hour steps, so a day made
        // shorter or longer by a clock change still ends at midnight.
        const qint64 day = monday.isValid() ? monday.daysTo(calendar.date(recording.at)) : -1;
        if (day >= 0 && day < static_cast<qint64>(week.days.size()))
            week.days[static_cast<size_t>(day)] += 1;
    }
    return week;
}

} // namespace murva
