// The desktop app on the private display and a private session bus: its tray menu as a
// panel reads it, the way in while no panel shows the icon, and a second launch.
#include "PanelBus.h"
#include "ShownWindow.h"

#include "support/PrivateServers.h"
#include "support/RecorderRun.h"
#include "support/TestMain.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>

namespace murva::test {
namespace {

constexpr double startSec = 30;

class TraySystemTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!hasDesktopSession()) {
            GTEST_SKIP() << "needs the private desktop";
        }
        ASSERT_FALSE(bus.address().isEmpty());
        app.setMode(RecorderRun::Mode::desktop);
        app.setEnvironment(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    }

    bool waitForLog(const QString &line) { return app.waitForLine(QRegularExpression::escape(line), startSec).has_value(); }

    std::optional<ExportedMenu> waitForMenu(StatusNotifierWatcher &watcher)
    {
        if (!waitFor([&] { return !watcher.items().isEmpty(); }, startSec)) {
            return std::nullopt;
        }
        return menuOf(bus.connection(), watcher.items().front());
    }

    PrivateBus bus;
    RecorderRun app;
};

// The panel may come before or after the app (an app opened at login often starts first).
TEST_F(TraySystemTest, PanelReadsTheMenuAndQuitsTheAppFromIt)
{
    for (const bool panelFirst : {true, false}) {
        SCOPED_TRACE(panelFirst ? "panel first" : "app first");
        std::unique_ptr<StatusNotifierWatcher> watcher;
        if (panelFirst) {
            watcher = std::make_unique<StatusNotifierWatcher>(bus.connection());
        }
        app.launch();
        if (!panelFirst) {
            ASSERT_TRUE(waitForLog(QStringLiteral("launched")));
            watcher = std::make_unique<StatusNotifierWatcher>(bus.connection());
        }
        const std::optional<ExportedMenu> menu = waitForMenu(*watcher);
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->labels(), (QStringList{QStringLiteral("Finish setting up…"), QStringLiteral("Quit Murva Recorder")}));
        ASSERT_TRUE(menu->click(QStringLiteral("Quit")));
        EXPECT_TRUE(app.waitForExit(startSec));
        EXPECT_EQ(app.exitCode(), 0);
    }
}

TEST_F(TraySystemTest, WithoutAPanelAWindowIsTheWayIn)
{
    app.launch();
    ASSERT_TRUE(waitForLog(QStringLiteral("menu bar icon hidden")));
    // Not set up (no account): welcome, never home.
    EXPECT_TRUE(waitFor([] { return shownWindow(QStringLiteral("Murva")).has_value(); }, startSec));
    EXPECT_FALSE(shownWindow(QStringLiteral("Murva Recorder")));
    {
        StatusNotifierWatcher watcher(bus.connection());
        ASSERT_TRUE(waitForMenu(watcher));
        EXPECT_TRUE(waitForLog(QStringLiteral("tray: a panel shows the icon")));
    }
    // The panel went away: hidden again, and the app runs on.
    EXPECT_TRUE(waitForLog(QStringLiteral("tray: no panel shows the icon")));
    EXPECT_TRUE(app.running());
}

TEST_F(TraySystemTest, ASecondLaunchHandsItsRequestToTheFirstAndEnds)
{
    StatusNotifierWatcher watcher(bus.connection());
    app.launch();
    ASSERT_TRUE(waitForMenu(watcher));
    struct Case {
        QStringList arguments;
        QString handled; // the first's log line, or a window it shows
        QString window;
    };
    const Case cases[] = {
        {{QStringLiteral("--settings")}, QStringLiteral("instance: action settings"), QStringLiteral("Settings")},
        {{QStringLiteral("--home")}, QStringLiteral("instance: action home"), QStringLiteral("Murva")},
        {{}, QString(), QStringLiteral("Murva")},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(qPrintable(test.arguments.join(QLatin1Char(' '))));
        QProcess &second = app.launchAlongside(test.arguments);
        EXPECT_TRUE(waitFor([&] { return second.state() == QProcess::NotRunning; }, startSec));
        EXPECT_EQ(second.exitCode(), 0);
        if (!test.handled.isEmpty()) {
            EXPECT_TRUE(waitForLog(test.handled));
        }
        EXPECT_TRUE(waitFor([&] { return shownWindow(test.window).has_value(); }, startSec));
    }
    EXPECT_TRUE(app.running());
    EXPECT_EQ(watcher.items().size(), 1);
}

} // namespace
} // namespace murva::test
