#include "identity/ApplicationIdentity.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace murva;

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

namespace {

ApplicationIdentity identify(IdentityClues clues)
{
    return ApplicationIdentity::fromClues(clues);
}

} // namespace

TEST(ApplicationIdentityRules, ADottedStreamIdComesFirst)
{
    IdentityClues clues;
    clues.streamApplicationId = "us.zoom.xos";
    clues.flatpakId = "org.mozilla.firefox";
    clues.executableName = "chrome";
    EXPECT_EQ(identify(clues), (ApplicationIdentity{"us.zoom.xos", "Zoom"}));
}

TEST(ApplicationIdentityRules, AStreamIdWithoutADotIsNoIdentifier)
{
    IdentityClues clues;
    clues.streamApplicationId = "zoom-ish";
    clues.executableName = "firefox-esr";
    EXPECT_EQ(identify(clues).identifier, "org.mozilla.firefox");

    clues.executableName = "mpv";
    EXPECT_EQ(identify(clues), (ApplicationIdentity{"", "mpv"}));
}

TEST(ApplicationIdentityRules, TheFlatpakIdComesBeforeProgramNames)
{
    IdentityClues clues;
    clues.flatpakId = "org.gnome.Maps";
    clues.executableName = "zoom";
    clues.wmClass = "firefox";
    EXPECT_EQ(identify(clues).identifier, "org.gnome.Maps");
}

TEST(ApplicationIdentityRules, ListedDottedIdsBecomeTheIdentifiersTheClassificationKnows)
{
    IdentityClues clues;
    clues.flatpakId = "com.slack.Slack";
    EXPECT_EQ(identify(clues), (ApplicationIdentity{"com.tinyspeck.slackmacgap", "Slack"}));

    clues = {};
    clues.streamApplicationId = "org.chromium.Chromium";
    EXPECT_EQ(identify(clues), (ApplicationIdentity{"com.google.Chrome", "Chromium"}));
}

TEST(ApplicationIdentityRules, ProgramNamesAreTriedInOrder)
{
    IdentityClues clues;
    clues.streamBinary = "msedge";
    clues.executableName = "chrome";
    EXPECT_EQ(identify(clues).identifier, "com.microsoft.edgemac");

    // An unlisted binary does not hide a listed executable or window class.
    clues.streamBinary = "electron";
    EXPECT_EQ(identify(clues).identifier, "com.google.Chrome");
    clues.executableName = "murva-test-window";
    clues.wmClassInstance = "Navigator";
    clues.wmClass = "firefox";
    EXPECT_EQ(identify(clues), (ApplicationIdentity{"org.mozilla.firefox", "Firefox"}));
}

TEST(ApplicationIdentityRules, NamesUnknownProgramsByTheirMostReadableClue)
{
    IdentityClues clues;
    EXPECT_EQ(identify(clues), ApplicationIdentity{});

    clues.executableName = "gimp-2.10";
    EXPECT_EQ(identify(clues).name, "gimp-2.10");
    clues.wmClassInstance = "gimp";
    clues.wmClass = "Gimp";
    EXPECT_EQ(identify(clues), (ApplicationIdentity{"", "Gimp"}));

    IdentityClues sandboxed;
    sandboxed.flatpakId = "org.gnome.Maps";
    EXPECT_EQ(identify(sandboxed).name, "org.gnome.Maps");
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
    void write(const QString &path, const QByteArray &text)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
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
    write(process(102) + "/comm", "slack\n");
    EXPECT_EQ(ApplicationIdentity::forProcess(102, {}, {}, root.path()).identifier, "com.tinyspeck.slackmacgap");
}

TEST_F(FakeProc, ReadsTheFlatpakIdFromTheCgroupOrTheSandboxInfo)
{
    linkExecutable(200, "/app/bin/zoom");
    write(process(200) + "/cgroup", "0::/user.slice/app.slice/app-flatpak-us.zoom.Zoom-200.scope\n");
    EXPECT_EQ(readProcessFacts(200, root.path()), (ProcessFacts{"us.zoom.Zoom", "zoom"}));
    EXPECT_EQ(ApplicationIdentity::forProcess(200, {}, {}, root.path()).identifier, "us.zoom.xos");

    linkExecutable(201, "/app/lib/thing/thing");
    write(process(201) + "/cgroup", "0::/user.slice/session-2.scope\n");
    write(process(201) + "/root/.flatpak-info", "[Application]\nname=org.example.Thing\n");
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
