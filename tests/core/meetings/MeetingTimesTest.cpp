#include "meetings/NextMeeting.h"
#include "meetings/UpcomingMeeting.h"

#include <gtest/gtest.h>

#include <chrono>

namespace murva {
namespace {

using namespace std::chrono_literals;

SystemTime secondsAfter1970(double seconds)
{
    return timeFromMillisecondsSince1970(seconds * 1000);
}

NextMeeting meetingFrom(double startSec, double endSec, std::optional<QUrl> link = std::nullopt)
{
    return NextMeeting{"Weekly sync", secondsAfter1970(startSec), secondsAfter1970(endSec), std::move(link), {}, {}, {}};
}

TEST(MeetingMatch, sameHostAndPathMatchesAtAnyTime)
{
    const NextMeeting meeting = meetingFrom(10000, 13600, QUrl("https://zoom.us/j/42?pwd=a"));
    const SystemTime longAfter = secondsAfter1970(900000);
    EXPECT_TRUE(meeting.matches(longAfter, QUrl("https://zoom.us/j/42")));
    EXPECT_TRUE(meeting.matches(longAfter, QUrl("http://ZOOM.us/j/42#x")));
    EXPECT_FALSE(meeting.matches(longAfter, QUrl("https://zoom.us/j/43")));
    EXPECT_FALSE(meeting.matches(longAfter, QUrl("https://zoom.us/j/42/")));
    EXPECT_FALSE(meeting.matches(longAfter, std::nullopt));
}

TEST(MeetingMatch, timeWindowOpensTenMinutesEarlyAndClosesAtTheEnd)
{
    const NextMeeting meeting = meetingFrom(10000, 13600, QUrl("https://zoom.us/j/42"));
    const QUrl other("https://meet.example/abc");
    EXPECT_FALSE(meeting.matches(secondsAfter1970(10000 - 601), other));
    EXPECT_TRUE(meeting.matches(secondsAfter1970(10000 - 600), other));
    EXPECT_TRUE(meeting.matches(secondsAfter1970(13600) - 1ns, other));
    EXPECT_FALSE(meeting.matches(secondsAfter1970(13600), other));

    const NextMeeting withoutLink = meetingFrom(10000, 13600);
    EXPECT_TRUE(withoutLink.matches(secondsAfter1970(12000), other));
    EXPECT_FALSE(withoutLink.matches(secondsAfter1970(20000), other));
}

// 00:30 on 5 March in Paris is still 4 March in UTC: the day is read in the given zone.
TEST(MeetingSchedule, dayPageWithEventOnTheMeetingsOrigin)
{
    const QDateTime start(QDate(2026, 3, 5), QTime(0, 30), QTimeZone("Europe/Paris"));
    NextMeeting meeting = meetingFrom(0, 1);
    meeting.start = timeFromQDateTime(start);
    meeting.end = meeting.start + 1h;
    meeting.murvaEventId = "E1";
    const Calendar paris{QTimeZone("Europe/Paris"), QCalendar()};
    const QUrl meetingsUrl("https://app.murva.example:8443/team/meetings?tab=all");
    EXPECT_EQ(meeting.scheduleURL(meetingsUrl, paris),
              QUrl("https://app.murva.example:8443/app/scheduling/day/2026-03-05/event/E1"));

    meeting.murvaEventId.reset();
    EXPECT_EQ(meeting.scheduleURL(meetingsUrl, paris),
              QUrl("https://app.murva.example:8443/app/scheduling/day/2026-03-05"));
    EXPECT_EQ(meeting.scheduleURL(meetingsUrl, Calendar{QTimeZone::utc(), QCalendar()})->path(),
              "/app/scheduling/day/2026-03-04");
}

TEST(MeetingSchedule, eventIdStaysOneSegmentAndBadBaseGivesNothing)
{
    NextMeeting meeting = meetingFrom(0, 1);
    meeting.murvaEventId = "../../admin?x";
    const std::optional<QUrl> url = meeting.scheduleURL(QUrl("https://murva.example"), Calendar{});
    ASSERT_TRUE(url);
    EXPECT_EQ(url->toString(QUrl::FullyEncoded),
              "https://murva.example/app/scheduling/day/1970-01-01/event/..%2F..%2Fadmin%3Fx");
    EXPECT_FALSE(meeting.scheduleURL(QUrl(), Calendar{}));
}

TEST(MeetingKeys, skipKeyCutsSecondsTowardZero)
{
    EXPECT_EQ(skipKey(meetingFrom(1741168800.999, 1741172400)), "1741168800\nWeekly sync");
    EXPECT_EQ(skipKey(meetingFrom(-1.5, 0)), "-1\nWeekly sync");
    EXPECT_EQ(skipKey(meetingFrom(1741168800.2, 1741172400)), skipKey(meetingFrom(1741168800.7, 1741172401)));
}

TEST(MeetingKeys, upcomingIdWritesShortestSeconds)
{
    EXPECT_EQ((UpcomingMeeting{meetingFrom(1741168800, 1741172400), 0}.id()), "1741168800.0\nWeekly sync");
    EXPECT_EQ((UpcomingMeeting{meetingFrom(1741168800.5, 1741172400), 0}.id()), "1741168800.5\nWeekly sync");
    EXPECT_EQ((UpcomingMeeting{meetingFrom(0, 1), 0}.id()), "0.0\nWeekly sync");
    EXPECT_EQ((UpcomingMeeting{meetingFrom(1.25, 2), 0}.id()), "1.25\nWeekly sync");
}

} // namespace
} // namespace murva
