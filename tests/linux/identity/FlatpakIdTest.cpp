#include "identity/FlatpakId.h"

#include <gtest/gtest.h>

using namespace murva;

TEST(FlatpakId, ReadsTheAppScopeOfTheCgroupFile)
{
    const struct {
        const char *cgroup;
        std::optional<QString> id;
    } cases[] = {
        {"0::/user.slice/user-1000.slice/user@1000.service/app.slice/app-flatpak-org.mozilla.firefox-12345.scope\n",
         "org.mozilla.firefox"},
        // cgroup v1: the systemd line among the others.
        {"12:pids:/user.slice/user-1000.slice\n11:cpu,cpuacct:/\n"
         "1:name=systemd:/user.slice/user-1000.slice/user@1000.service/app.slice/app-flatpak-com.slack.Slack-2201.scope\n",
         "com.slack.Slack"},
        // The unit name's escaping of dashes is undone.
        {"0::/app.slice/app-flatpak-org.example.my\\x2dapp-77.scope", "org.example.my-app"},
        {"", std::nullopt},
        {"0::/user.slice/user-1000.slice/session-2.scope\n", std::nullopt},
        // Another launcher's scope naming the same program is not a sandbox.
        {"0::/app.slice/app-gnome-org.mozilla.firefox-4242.scope\n", std::nullopt},
        // Damaged names: no number, no id, no dot, or not a scope.
        {"0::/app-flatpak-org.mozilla.firefox.scope", std::nullopt},
        {"0::/app-flatpak--12.scope", std::nullopt},
        {"0::/app-flatpak-firefox-12.scope", std::nullopt},
        {"0::/app-flatpak-org.mozilla.firefox-12.service", std::nullopt},
        {"no colons at all app-flatpak-org.a.b-1.scope", std::nullopt},
    };
    for (const auto &test : cases) {
        EXPECT_EQ(FlatpakId::fromCgroup(test.cgroup), test.id) << test.cgroup;
    }
}

TEST(FlatpakId, ReadsTheApplicationNameFromFlatpakInfo)
{
    const struct {
        const char *info;
        std::optional<QString> id;
    } cases[] = {
        {"[Application]\nname=us.zoom.Zoom\nruntime=runtime/org.freedesktop.Platform/x86_64/23.08\n\n"
         "[Instance]\ninstance-id=1234\n",
         "us.zoom.Zoom"},
        {"[Instance]\nname=not.this.One\n[Application]\n name = com.brave.Browser \n", "com.brave.Browser"},
        {"", std::nullopt},
        // A runtime run on its own names itself in another group.
        {"[Runtime]\nname=org.freedesktop.Platform\n", std::nullopt},
        {"[Application]\nname=\n", std::nullopt},
        {"[Application]\nnamespace=org.a.b\n", std::nullopt},
    };
    for (const auto &test : cases) {
        EXPECT_EQ(FlatpakId::fromFlatpakInfo(test.info), test.id) << test.info;
    }
}
