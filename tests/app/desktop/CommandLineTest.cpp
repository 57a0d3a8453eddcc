// The command line: a normal start's options and the self-test's.

#include "CommandLine.h"

#include <gtest/gtest.h>

#include <tuple>

namespace murva {
namespace {

CommandLine parse(const QStringList &arguments)
{
    return CommandLine::parse(QStringList{"murva-recorder"} + arguments);
}

TEST(CommandLineOptions, HeadlessAndConnectAreExactArgumentsBesideTheOthers)
{
    const CommandLine options = parse({"--headless", "-psn_0_1234", "--connect", "--settings", "--frobnicate"});
    EXPECT_TRUE(options.headless && options.connect && options.settings);
    EXPECT_FALSE(options.welcome || options.home || options.listWindows || options.selfTest || options.previewBar);

    const CommandLine lookalikes = parse({"--Headless", "--connect=now", "headless"});
    EXPECT_FALSE(lookalikes.headless || lookalikes.connect);

    // The argument after "--preview-bar" is its name, whatever it looks like.
    const CommandLine preview = parse({"--preview-bar", "--headless", "--connect"});
    EXPECT_EQ(preview.previewBar.value_or("").toStdString(), "--headless");
    EXPECT_FALSE(preview.headless);
    EXPECT_TRUE(preview.connect);
}


TEST(SelfTestOptions, ASecondsNumberAndAPathMakeASelfTestWithItsCompanions)
{
    struct Case {
        QStringList arguments;
        std::optional<SelfTestOptions> selfTest; // only the fields below are compared
        bool listWindows = false;
    };
    const auto selfTest = [](double seconds, QString path, bool switchTargets, bool browser, bool soundOnly) {
        SelfTestOptions options;
        options.seconds = seconds;
        options.path = path;
        options.switchTargets = switchTargets;
        options.browser = browser;
        options.soundOnly = soundOnly;
        return std::optional(options);
    };
    const Case cases[] = {
        {{"--switch", "--self-test", "6.5", "/tmp/a.mp4", "--browser", "--sound-only"},
         selfTest(6.5, "/tmp/a.mp4", true, true, true)},
        {{"--self-test", "6", "t.mp4"}, selfTest(6, "t.mp4", false, false, false)},
        {{"--self-test", "six", "/tmp/a.mp4"}, std::nullopt},
        {{"--self-test", "6"}, std::nullopt},
        {{"--self-test"}, std::nullopt},
        {{"--sound-only", "6", "/tmp/a.mp4"}, std::nullopt},
        // Lengths nobody can record.
        {{"--self-test", "-1", "/tmp/a.mp4"}, std::nullopt},
        {{"--self-test", "inf", "/tmp/a.mp4"}, std::nullopt},
        {{"--self-test", "nan", "/tmp/a.mp4"}, std::nullopt},
        // Only the first --self-test counts.
        {{"--self-test", "x", "y", "--self-test", "3", "z.mp4"}, std::nullopt},
        {{"--list-windows", "--self-test", "3", "z.mp4"}, selfTest(3, "z.mp4", false, false, false), true},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(qPrintable(test.arguments.join(u' ')));
        const CommandLine options = CommandLine::parse(QStringList{"murva-recorder"} + test.arguments);
        EXPECT_EQ(options.listWindows, test.listWindows);
        ASSERT_EQ(options.selfTest.has_value(), test.selfTest.has_value());
        if (test.selfTest) {
            const SelfTestOptions &got = *options.selfTest, &want = *test.selfTest;
            EXPECT_EQ(std::tie(got.seconds, got.path, got.switchTargets, got.browser, got.soundOnly),
                      std::tie(want.seconds, want.path, want.switchTargets, want.browser, want.soundOnly));
        }
    }
}

} // namespace
} // namespace murva
