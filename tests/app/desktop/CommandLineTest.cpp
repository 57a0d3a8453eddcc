// The options of a normal start, beside the self-test ones.

#include "CommandLine.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace murva
