#include "turns/Clock.h"

#include <gtest/gtest.h>

#include <cmath>

namespace murva {
namespace {

TEST(ClockText, MinutesThenHoursAndSafeOutOfRange)
{
    EXPECT_EQ(clock(0), QStringLiteral("00:00"));
    EXPECT_EQ(clock(75.9), QStringLiteral("01:15"));
    EXPECT_EQ(clock(3599.99), QStringLiteral("59:59"));
    EXPECT_EQ(clock(3661), QStringLiteral("1:01:01"));
    EXPECT_EQ(clock(400000), QStringLiteral("111:06:40"));

    for (double nothing : {-0.5, -1e300, double(NAN), -double(INFINITY)})
        EXPECT_EQ(clock(nothing), QStringLiteral("00:00")) << nothing;
    // Clamped to the largest count of seconds, 2^63 - 1.
    EXPECT_EQ(clock(INFINITY), QStringLiteral("2562047788015215:30:07"));
    EXPECT_EQ(clock(1e19), clock(INFINITY));
    EXPECT_EQ(clock(1e300), clock(INFINITY));
}

} // namespace
} // namespace murva
