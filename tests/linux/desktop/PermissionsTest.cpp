// Permissions on the private desktop: the microphone is the sound server's default
// input, the screen is the X display; asking opens the installed sound settings.

#include "desktop/DesktopPermissions.h"
#include "desktop/SoundSettings.h"

#include "ScratchScripts.h"
#include "support/TestMain.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace murva {
namespace {

bool setDefaultSource(const QString &name)
{
    return QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("set-default-source"), name}) == 0;
}

TEST(DesktopPermissions, TheMicrophoneIsAllowedOnlyWhenTheDefaultSourceIsARealInput)
{
    ASSERT_TRUE(test::hasDesktopSession());
    DesktopPermissions permissions;
    EXPECT_TRUE(permissions.microphoneAllowed());

    ASSERT_TRUE(setDefaultSource(QStringLiteral("speakers.monitor")));
    const bool monitorAllowed = permissions.microphoneAllowed();
    ASSERT_TRUE(setDefaultSource(QStringLiteral("mic"))); // other tests share the server
    EXPECT_FALSE(monitorAllowed) << "a monitor records the computer, not the user";
    EXPECT_TRUE(permissions.microphoneAllowed());

    EXPECT_FALSE(DesktopPermissions("unix:/nonexistent/murva-no-server").microphoneAllowed());
}

TEST(DesktopPermissions, TheScreenIsAllowedWhenTheDisplayOpens)
{
    ASSERT_TRUE(test::hasDesktopSession());
    DesktopPermissions permissions;
    EXPECT_TRUE(permissions.screenAllowed());
    for (const char *display : {"", ":987"}) {
        const test::ScopedEnv elsewhere("DISPLAY", display);
        EXPECT_FALSE(permissions.screenAllowed()) << display;
    }
    EXPECT_TRUE(permissions.screenAllowed()) << "read again each time";
}

TEST(DesktopPermissions, AskingOpensTheDesktopsOwnSoundSettingsFirstIfAny)
{
    QTemporaryDir bin;
    const QString record = bin.filePath("record");
    test::writeRecordingScript(bin.filePath("pavucontrol"), record);
    test::writeRecordingScript(bin.filePath("gnome-control-center"), record);
    test::ScopedEnv path("PATH", bin.path().toUtf8());

    const auto gnome = findSoundSettings(QStringLiteral("ubuntu:GNOME"));
    ASSERT_TRUE(gnome);
    EXPECT_EQ(gnome->program, bin.filePath("gnome-control-center"));
    EXPECT_EQ(gnome->arguments, QStringList{"sound"});
    const auto kde = findSoundSettings(QStringLiteral("KDE"));
    ASSERT_TRUE(kde) << "no KDE panel installed: the stand-alone mixer";
    EXPECT_EQ(kde->program, bin.filePath("pavucontrol"));

    test::ScopedEnv desktop("XDG_CURRENT_DESKTOP", "");
    ASSERT_TRUE(DesktopPermissions().askForMicrophone());
    EXPECT_EQ(test::waitForRecord(record), "--tab=4\n");

    test::ScopedEnv nothingInstalled("PATH", "/nonexistent");
    EXPECT_FALSE(DesktopPermissions().askForMicrophone());
}

} // namespace
} // namespace murva
