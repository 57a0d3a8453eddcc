#include "meetings/WeekCount.h"

#include <gtest/gtest.h>

namespace murva {
namespace {

const QTimeZone paris("Europe/Paris");
const Calendar parisCalendar{paris, QCalendar()};

SystemTime inParis(QDate day, QTime time)
{
    return timeFromQDateTime(QDateTime(day, time, paris));
}

Recording recordingAt(SystemTime at, Recording::Status status = Recording::Status::saved, double durationSec = 60)
{
    Recording recording("r", "Call", CallApp::zoom, at);
    recording.status = status;
    recording.durationSec = durationSec;
    return recording;
}

// Wednesday 11 March 2026.
const QDate wednesday(2026, 3, 11);
const QDate monday(2026, 3, 9);

TEST(WeekCount, countsSavedRecordingsFromMondayMidnightToNow)
{
    const SystemTime now = inParis(wednesday, QTime(15, 0));
    const std::vector<Recording> recordings{
        recordingAt(inParis(monday, QTime(0, 0)), Recording::Status::saved, 30),
        recordingAt(inParis(monday.addDays(-1), QTime(23, 59, 59)), Recording::Status::saved),
        recordingAt(inParis(wednesday, QTime(10, 0)), Recording::Status::failed),
        recordingAt(inParis(wednesday, QTime(14, 0)), Recording::Status::saved, 90.5),
        recordingAt(inParis(wednesday, QTime(15, 0)), Recording::Status::saved, 1),
        recordingAt(inParis(wednesday, QTime(15, 0, 1)), Recording::Status::saved),
    };
    const WeekCount week = WeekCount::of(recordings, now, parisCalendar);
    EXPECT_EQ(week.calls, 3);
    EXPECT_DOUBLE_EQ(week.seconds, 121.5);
    EXPECT_EQ(week.days, (std::array<int, 7>{1, 0, 2, 0, 0, 0, 0}));
}

TEST(WeekCount, sundayNightStillCountsInTheWeekThatStartedMonday)
{
    const QDate sunday = monday.addDays(6);
    const SystemTime now = inParis(sunday, QTime(23, 59, 59));
    const std::vector<Recording> recordings{recordingAt(inParis(sunday, QTime(23, 0))),
                                            recordingAt(inParis(monday, QTime(8, 0)))};
    EXPECT_EQ(WeekCount::of(recordings, now, parisCalendar).days, (std::array<int, 7>{1, 0, 0, 0, 0, 0, 1}));

    // A minute later a new week has begun and last week's recordings no longer count.
    const SystemTime mondayMorning = inParis(sunday.addDays(1), QTime(0, 0, 59));
    EXPECT_EQ(WeekCount::of(recordings, mondayMorning, parisCalendar), WeekCount{});
}

TEST(WeekCount, weekStartsInTheGivenZoneNotInUtc)
{
    // Monday 00:30 in Paris is still Sunday in UTC: a Paris week has begun, a UTC one has not.
    const SystemTime mondayEarly = inParis(monday, QTime(0, 30));
    const std::vector<Recording> recordings{recordingAt(inParis(monday, QTime(0, 10)))};
    EXPECT_EQ(WeekCount::of(recordings, mondayEarly, parisCalendar).days[0], 1);
    EXPECT_EQ(WeekCount::of(recordings, mondayEarly, Calendar{}).days[6], 1);
}

TEST(WeekCount, clockChangeWeekKeepsCalendarDays)
{
    // Paris moves to summer time on Sunday 29 March 2026 at 02:00; the week before it
    // starts Monday 23 March. Late on that short Sunday it is still day 7.
    const QDate mondayBefore(2026, 3, 23);
    const QDate shortSunday(2026, 3, 29);
    const SystemTime now = inParis(shortSunday, QTime(23, 30));
    const std::vector<Recording> recordings{recordingAt(inParis(mondayBefore, QTime(0, 0))),
                                            recordingAt(inParis(shortSunday, QTime(3, 0))),
                                            recordingAt(inParis(shortSunday, QTime(23, 15)))};
    EXPECT_EQ(WeekCount::of(recordings, now, parisCalendar).days, (std::array<int, 7>{1, 0, 0, 0, 0, 0, 2}));

    // The week after the change (Oct back to winter time, 25 Oct 2026: a 25-hour Sunday).
    const QDate longSunday(2026, 10, 25);
    const SystemTime late = inParis(longSunday, QTime(23, 30));
    const std::vector<Recording> autumn{recordingAt(inParis(longSunday, QTime(23, 0))),
                                        recordingAt(inParis(QDate(2026, 10, 19), QTime(0, 0)))};
    EXPECT_EQ(WeekCount::of(autumn, late, parisCalendar).days, (std::array<int, 7>{1, 0, 0, 0, 0, 0, 1}));
}

} // namespace
} // namespace murva
