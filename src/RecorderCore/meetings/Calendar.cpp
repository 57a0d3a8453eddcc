#include "meetings/Calendar.h"

namespace murva {

Calendar Calendar::current()
{
    return Calendar{QTimeZone::systemTimeZone(), QCalendar()};
}

QDate Calendar::date(SystemTime at) const
{
    return toQDateTime(at).toTimeZone(zone).date();
}

std::optional<SystemTime> Calendar::startOfDay(SystemTime at) const
{
    return startOfDay(date(at));
}

std::optional<SystemTime> Calendar::startOfDay(QDate day) const
{
    const QDateTime start = day.startOfDay(zone);
    if (!start.isValid())
        return std::nullopt;
    return timeFromQDateTime(start);
}

} // namespace murva
