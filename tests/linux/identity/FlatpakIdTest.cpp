#include "identity/FlatpakId.h"

#include <gtest/gtest.h>

using namespace murva;

TEST(FlatpakId, ReadsTheAppScopeFromCgroupV2)
{
    EXPECT_EQ(FlatpakId::fromCgroup("0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                                    "app-flatpak-org.mozilla.firefox-12345.scope\n"),
              QString("org.mozilla.firefox"));
}

TEST(FlatpakId, ReadsTheAppScopeAmongCgroupV1Lines)
{
    const char *text = "12:pids:/user.slice/user-1000.slice\n"
                       "11:cpu,cpuacct:/\n"
                       "1:name=systemd:/user.slice/user-1000.slice/user@1000.service/app.slice/"
                       "app-flatpak-com.slack.Slack-2201.scope\n";
    EXPECT_EQ(FlatpakId::fromCgroup(text), QString("com.slack.Slack"));
}

TEST(FlatpakId, UndoesTheUnitNameEscapingOfDashes)
{
    EXPECT_EQ(FlatpakId::fromCgroup("0::/app.slice/app-flatpak-org.example.my\\x2dapp-77.scope"),
              QString("org.example.my-app"));
}

TEST(FlatpakId, FindsNothingOutsideAFlatpakScope)
{
    EXPECT_EQ(FlatpakId::fromCgroup(""), std::nullopt);
    EXPECT_EQ(FlatpakId::fromCgroup("0::/user.slice/user-1000.slice/session-2.scope\n"), std::nullopt);
    // Another launcher's scope naming the same program is not a sandbox.
    EXPECT_EQ(FlatpakId::fromCgroup("0::/app.slice/app-gnome-org.mozilla.firefox-4242.scope\n"), std::nullopt);
    // Damaged names: no number, no id, no dot, or not a scope.
    EXPECT_EQ(FlatpakId::fromCgroup("0::/app-flatpak-org.mozilla.firefox.scope"), std::nullopt);
    EXPECT_EQ(FlatpakId::fromCgroup("0::/app-flatpak--12.scope"), std::nullopt);
    EXPECT_EQ(FlatpakId::fromCgroup("0::/app-flatpak-firefox-12.scope"), std::nullopt);
    EXPECT_EQ(FlatpakId::fromCgroup("0::/app-flatpak-org.mozilla.firefox-12.service"), std::nullopt);
    EXPECT_EQ(FlatpakId::fromCgroup("no colons at all app-flatpak-org.a.b-1.scope"), std::nullopt);
}

TEST(FlatpakId, ReadsTheApplicationNameFromFlatpakInfo)
{
    const char *info = "[Application]\n"
                       "name=us.zoom.Zoom\n"
                       "runtime=runtime/org.freedesktop.Platform/x86_64/23.08\n"
                       "\n"
                       "[Instance]\n"
                       "instance-id=1234\n";
    EXPECT_EQ(FlatpakId::fromFlatpakInfo(info), QString("us.zoom.Zoom"));
    EXPECT_EQ(FlatpakId::fromFlatpakInfo("[Instance]\nname=not.this.One\n[Application]\n name = com.brave.Browser \n"),
              QString("com.brave.Browser"));
}

TEST(FlatpakId, IgnoresInfoWithoutAnApplication)
{
    EXPECT_EQ(FlatpakId::fromFlatpakInfo(""), std::nullopt);
    // A runtime run on its own names itself in another group.
    EXPECT_EQ(FlatpakId::fromFlatpakInfo("[Runtime]\nname=org.freedesktop.Platform\n"), std::nullopt);
    EXPECT_EQ(FlatpakId::fromFlatpakInfo("[Application]\nname=\n"), std::nullopt);
    EXPECT_EQ(FlatpakId::fromFlatpakInfo("[Application]\nnamespace=org.a.b\n"), std::nullopt);
}
