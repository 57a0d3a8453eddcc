// The browser opener starts the user's $BROWSER when one is set, and otherwise goes
// through xdg-open.

#include "desktop/XdgBrowserOpener.h"

#include "ScratchScripts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace murva {
namespace {

class XdgBrowserOpenerTest : public testing::Test {
protected:
    QTemporaryDir folder;
    QString record = folder.filePath("opened");
    QString browser = test::writeRecordingScript(folder.filePath("browser"), record);
    // No display and no desktop: xdg-open then asks $BROWSER rather than the desktop's
    // own handlers (which could start a real browser on the test machine).
    test::ScopedEnv noDisplay{"DISPLAY", {}};
    test::ScopedEnv noWayland{"WAYLAND_DISPLAY", {}};
    test::ScopedEnv noDesktop{"XDG_CURRENT_DESKTOP", {}};
    test::ScopedEnv noSession{"DESKTOP_SESSION", {}};
    test::ScopedEnv browserVariable{"BROWSER", browser.toUtf8()};
};

TEST_F(XdgBrowserOpenerTest, HandsTheWholeAddressToTheBrowser)
{
    const QUrl address(QStringLiteral("https://app.murva.test/meetings?day=2026-12-06&who=a%20b#top"));
    XdgBrowserOpener opener;
    ASSERT_TRUE(opener.open(address));
    EXPECT_EQ(test::waitForRecord(record), address.toString(QUrl::FullyEncoded).toUtf8() + "\n");
}

TEST_F(XdgBrowserOpenerTest, TheChosenBrowserComesBeforeTheDesktopsHandlers)
{
    // With a display, xdg-open would prefer a registered handler; the user's choice wins.
    test::ScopedEnv display{"DISPLAY", ":0"};
    test::ScopedEnv twoChoices{"BROWSER", "/nonexistent/browser:" + browser.toUtf8() + " --new-window %s"};
    XdgBrowserOpener opener(QStringLiteral("/nonexistent/xdg-open"));
    ASSERT_TRUE(opener.open(QUrl(QStringLiteral("https://app.murva.test/a"))));
    EXPECT_EQ(test::waitForRecord(record), QByteArray("--new-window\nhttps://app.murva.test/a\n"));
}

TEST_F(XdgBrowserOpenerTest, OnlyWebAddressesAreOpenedAndAMissingOpenerIsAFailure)
{
    XdgBrowserOpener opener;
    EXPECT_FALSE(opener.open(QUrl(QStringLiteral("file:///etc/passwd"))));
    EXPECT_FALSE(opener.open(QUrl(QStringLiteral("javascript:alert(1)"))));
    EXPECT_FALSE(opener.open(QUrl(QStringLiteral("https://"))));
    EXPECT_FALSE(opener.open(QUrl()));

    {
        test::ScopedEnv noBrowser{"BROWSER", {}};
        XdgBrowserOpener missing(QStringLiteral("/nonexistent/xdg-open"));
        EXPECT_FALSE(missing.open(QUrl(QStringLiteral("https://app.murva.test/"))));
    }

    QThread::msleep(300); // anything wrongly started would have written by now
    EXPECT_FALSE(QFile::exists(record));
}

} // namespace
} // namespace murva
