#include "meetings/DurationTexts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>

namespace murva {
namespace {

using namespace std::chrono_literals;

TEST(DurationText, roundsToNearestMinuteWithAMinimumOfOne)
{
    EXPECT_EQ(durationText(0), "1 min");
    EXPECT_EQ(durationText(-300), "1 min");
    EXPECT_EQ(durationText(89), "1 min");
    EXPECT_EQ(durationText(90), "2 min");
    EXPECT_EQ(durationText(3539), "59 min");
    EXPECT_EQ(durationText(3570), "1 h 00");
    EXPECT_EQ(durationText(5400), "1 h 30");
    EXPECT_EQ(durationText(36000 + 300), "10 h 05");
}

TEST(DurationText, hoursTextHasNoMinimum)
{
    EXPECT_EQ(hoursText(0), "0 min");
    EXPECT_EQ(hoursText(29), "0 min");
    EXPECT_EQ(hoursText(-90), "-2 min");
    EXPECT_EQ(hoursText(3570), "1 h 00");
    EXPECT_EQ(durationText(std::numeric_limits<double>::quiet_NaN()), "1 min");
    EXPECT_EQ(hoursText(std::numeric_limits<double>::infinity()), "0 min");
    EXPECT_FALSE(hoursText(1e300).isEmpty());
}

TEST(UntilText, secondsThenMinutesThenHoursRoundedUp)
{
    const SystemTime now = timeFromMillisecondsSince1970(1741168800000);
    EXPECT_EQ(untilText(now + 200ms, now), "1 s");
    EXPECT_EQ(untilText(now + 1ns, now), "1 s");
    EXPECT_FALSE(untilText(now, now));
    EXPECT_FALSE(untilText(now - 5s, now));
    EXPECT_EQ(untilText(now + 59s, now), "59 s");
    EXPECT_EQ(untilText(now + 59s + 1ms, now), "1 min");
    EXPECT_EQ(untilText(now + 61s, now), "2 min");
    EXPECT_EQ(untilText(now + 3540s, now), "59 min");
    EXPECT_EQ(untilText(now + 3541s, now), "1 h 00");
    EXPECT_EQ(untilText(now + 2h + 5min, now), "2 h 05");
}

} // namespace
} // namespace murva
