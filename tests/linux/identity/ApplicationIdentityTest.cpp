#include "identity/ApplicationIdentity.h"

#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include <unistd.h>

using namespace murva;
using murva::test::writeFile;

namespace murva {
void PrintTo(const ApplicationIdentity &identity, std::ostream *out)
{
    *out << '"' << identity.identifier.toStdString() << "\" named \"" << identity.name.toStdString() << '"';
}
void PrintTo(const ProcessFacts &facts, std::ostream *out)
{
    *out << "flatpak \"" << facts.flatpakId.toStdString() << "\" executable \"" << facts.executableName.toStdString()
         << '"';
}
} // namespace murva

// Each clue in the order the rules try them: stream id, Flatpak id, stream binary,
// executable, window class instance, window class. What is nullopt is not checked.
TEST(ApplicationIdentityRules, TheFirstRuleThatGivesAnIdentifierWins)
{
    struct Case {
        const char *why;
        IdentityClues clues;
        std::optional<QString> identifier;
        std::optional<QString> name;
    };
    const Case cases[] = {
        {"a dotted stream id comes first", {"us.zoom.xos", "org.mozilla.firefox", "", "chrome", "", ""},
         "us.zoom.xos", "Zoom"},
        {"a stream id without a dot is no identifier", {"zoom-ish", "", "", "firefox-esr", "", ""},
         "org.mozilla.firefox", std::nullopt},
        {"an unknown program without a dotted id", {"zoom-ish", "", "", "mpv", "", ""}, "", "mpv"},
        {"the Flatpak id comes before program names", {"", "org.gnome.Maps", "", "zoom", "", "firefox"},
         "org.gnome.Maps", std::nullopt},
        {"a listed Flatpak id becomes the known identifier", {"", "com.slack.Slack", "", "", "", ""},
         "com.tinyspeck.slackmacgap", "Slack"},
        {"a listed stream id becomes the known identifier", {"org.chromium.Chromium", "", "", "", "", ""},
         "com.google.Chrome", "Chromium"},
        {"the stream binary comes before the executable", {"", "", "msedge", "chrome", "", ""},
         "com.microsoft.edgemac", std::nullopt},
        {"an unlisted binary hides no listed executable", {"", "", "electron", "chrome", "", ""},
         "com.google.Chrome", std::nullopt},
        {"nor a listed window class", {"", "", "electron", "murva-test-window", "Navigator", "firefox"},
         "org.mozilla.firefox", "Firefox"},
        {"nothing known", {}, "", ""},
        {"an unknown executable names itself", {"", "", "", "gimp-2.10", "", ""}, "", "gimp-2.10"},
        {"a window class reads better", {"", "", "", "gimp-2.10", "gimp", "Gimp"}, "", "Gimp"},
        {"an unknown sandbox is named by its id", {"", "org.gnome.Maps", "", "", "", ""}, std::nullopt,
         "org.gnome.Maps"},
    };
    for (const Case &test : cases) {
        const ApplicationIdentity identity = ApplicationIdentity::fromClues(test.clues);
        if (test.identifier) {
            EXPECT_EQ(identity.identifier, *test.identifier) << test.why;
        }
        if (test.name) {
            EXPECT_EQ(identity.name, *test.name) << test.why;
        }
    }
}

// Fake /proc trees: one folder per process, as the kernel lays them out.
class FakeProc : public testing::Test {
protected:
    QString process(qint64 pid)
    {
        const QString folder = root.path() + '/' + QString::number(pid);
        QDir().mkpath(folder + "/root");
        return folder;
    }
    void linkExecutable(qint64 pid, const QByteArray &target)
    {
        ASSERT_EQ(::symlink(target.constData(), QFile::encodeName(process(pid) + "/exe").constData()), 0);
    }

    QTemporaryDir root;
};

TEST_F(FakeProc, ReadsTheExecutableLinkEvenForADeletedBinary)
{
    linkExecutable(100, "/opt/zoom/zoom");
    linkExecutable(101, "/usr/lib/firefox-esr/firefox-esr (deleted)");
    EXPECT_EQ(readProcessFacts(100, root.path()), (ProcessFacts{"", "zoom"}));
    EXPECT_EQ(ApplicationIdentity::forProcess(100, {}, {}, root.path()), (ApplicationIdentity{"us.zoom.xos", "Zoom"}));
    EXPECT_EQ(ApplicationIdentity::forProcess(101, {}, {}, root.path()).identifier, "org.mozilla.firefox");
}

TEST_F(FakeProc, FallsBackToTheCommandNameWhenTheLinkIsUnreadable)
{
    ASSERT_TRUE(writeFile(process(102) + "/comm", "slack\n"));
    EXPECT_EQ(ApplicationIdentity::forProcess(102, {}, {}, root.path()).identifier, "com.tinyspeck.slackmacgap");
}

TEST_F(FakeProc, ReadsTheFlatpakIdFromTheCgroupOrTheSandboxInfo)
{
    linkExecutable(200, "/app/bin/zoom");
    ASSERT_TRUE(writeFile(process(200) + "/cgroup", "0::/user.slice/app.slice/app-flatpak-us.zoom.Zoom-200.scope\n"));
    EXPECT_EQ(readProcessFacts(200, root.path()), (ProcessFacts{"us.zoom.Zoom", "zoom"}));
    EXPECT_EQ(ApplicationIdentity::forProcess(200, {}, {}, root.path()).identifier, "us.zoom.xos");

    linkExecutable(201, "/app/lib/thing/thing");
    ASSERT_TRUE(writeFile(process(201) + "/cgroup", "0::/user.slice/session-2.scope\n"));
    ASSERT_TRUE(writeFile(process(201) + "/root/.flatpak-info", "[Application]\nname=org.example.Thing\n"));
    EXPECT_EQ(ApplicationIdentity::forWindow(201, "thing", "Thing", root.path()),
              (ApplicationIdentity{"org.example.Thing", "Thing"}));
}

TEST_F(FakeProc, AVanishedProcessStillGetsItsStreamOrWindowIdentity)
{
    // Gone between the listing and the look-up: nothing under /proc any more.
    EXPECT_EQ(readProcessFacts(4242, root.path()), ProcessFacts{});
    EXPECT_EQ(ApplicationIdentity::forProcess(4242, "us.zoom.xos", {}, root.path()).identifier, "us.zoom.xos");
    EXPECT_EQ(ApplicationIdentity::forProcess(4242, {}, "firefox", root.path()).identifier, "org.mozilla.firefox");
    EXPECT_EQ(ApplicationIdentity::forWindow(4242, "zoom", "zoom", root.path()).identifier, "us.zoom.xos");
    EXPECT_EQ(ApplicationIdentity::forProcess(4242, {}, {}, root.path()), ApplicationIdentity{});
    // A window without a known process.
    EXPECT_EQ(ApplicationIdentity::forWindow(0, "Navigator", "firefox", root.path()).identifier,
              "org.mozilla.firefox");
}

TEST(RealProc, NamesThisProcessByItsExecutable)
{
    const ProcessFacts facts = readProcessFacts(::getpid());
    EXPECT_EQ(facts.executableName, "test-identity");
    EXPECT_TRUE(facts.flatpakId.isEmpty());
}
