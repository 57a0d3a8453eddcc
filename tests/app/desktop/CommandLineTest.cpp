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
        std::optional<SelfTestOptions> selfTest;
        bool listWindows = false;
    };
    const auto fields = [](const SelfTestOptions &options) {
        return std::tie(options.seconds, options.path, options.soundOnly, options.browser, options.switchTargets);
    };
    const Case cases[] = {
        {{"--switch", "--self-test", "6.5", "/tmp/a.mp4", "--browser", "--sound-only"},
         SelfTestOptions{6.5, "/tmp/a.mp4", true, true, true}},
        {{"--self-test", "6", "t.mp4"}, SelfTestOptions{6, "t.mp4"}},
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
        {{"--list-windows", "--self-test", "3", "z.mp4"}, SelfTestOptions{3, "z.mp4"}, true},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(qPrintable(test.arguments.join(u' ')));
        const CommandLine options = parse(test.arguments);
        EXPECT_EQ(options.listWindows, test.listWindows);
        ASSERT_EQ(options.selfTest.has_value(), test.selfTest.has_value());
        if (test.selfTest) {
            EXPECT_EQ(fields(*options.selfTest), fields(*test.selfTest));
        }
    }
}

} // namespace
} // namespace murva
