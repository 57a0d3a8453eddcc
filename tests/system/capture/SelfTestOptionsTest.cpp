// When the command line asks for a self-test, and when the application starts as usual.

#include "CommandLine.h"

#include <gtest/gtest.h>

namespace murva {
namespace {

CommandLine parse(const QStringList &arguments)
{
    return CommandLine::parse(QStringList{"murva-recorder"} + arguments);
}

TEST(SelfTestOptions, ANumberAndAPathMakeASelfTestWithItsCompanions)
{
    const CommandLine options = parse({"--switch", "--self-test", "6.5", "/tmp/a.mp4", "--browser", "--sound-only"});
    ASSERT_TRUE(options.selfTest.has_value());
    EXPECT_EQ(options.selfTest->seconds, 6.5);
    EXPECT_EQ(options.selfTest->path, "/tmp/a.mp4");
    EXPECT_TRUE(options.selfTest->switchTargets && options.selfTest->browser && options.selfTest->soundOnly);
    EXPECT_FALSE(options.listWindows);

    const CommandLine plain = parse({"--self-test", "6", "t.mp4"});
    ASSERT_TRUE(plain.selfTest.has_value());
    EXPECT_FALSE(plain.selfTest->switchTargets || plain.selfTest->browser || plain.selfTest->soundOnly);
}

TEST(SelfTestOptions, WithoutASecondsNumberAndAPathTheApplicationStartsAsUsual)
{
    EXPECT_FALSE(parse({"--self-test", "six", "/tmp/a.mp4"}).selfTest);
    EXPECT_FALSE(parse({"--self-test", "6"}).selfTest);
    EXPECT_FALSE(parse({"--self-test"}).selfTest);
    EXPECT_FALSE(parse({"--sound-only", "6", "/tmp/a.mp4"}).selfTest);
    // Lengths nobody can record.
    EXPECT_FALSE(parse({"--self-test", "-1", "/tmp/a.mp4"}).selfTest);
    EXPECT_FALSE(parse({"--self-test", "inf", "/tmp/a.mp4"}).selfTest);
    EXPECT_FALSE(parse({"--self-test", "nan", "/tmp/a.mp4"}).selfTest);
}

TEST(SelfTestOptions, OnlyTheFirstSelfTestCountsAndListingIsSeparate)
{
    const CommandLine options = parse({"--self-test", "x", "y", "--self-test", "3", "z.mp4"});
    EXPECT_FALSE(options.selfTest) << "the first --self-test is followed by no number";

    const CommandLine listing = parse({"--list-windows", "--self-test", "3", "z.mp4"});
    EXPECT_TRUE(listing.listWindows);
}

} // namespace
} // namespace murva
