// The desktop app on the private display and a private session bus: its tray menu as a
// panel reads it, the way in while no panel shows the icon, and a second launch.
#include "PanelBus.h"

#include "support/TestMain.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

namespace murva::test {
namespace {

constexpr double startSec = 30;

class DesktopApp {
public:
    explicit DesktopApp(const QString &busAddress) : busAddress_(busAddress) {}
    ~DesktopApp()
    {
        for (auto &process : processes_) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    QProcess &launch(const QStringList &arguments = {})
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress_);
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QStringLiteral(MURVA_RECORDER), arguments);
        processes_.push_back(std::move(process));
        return *processes_.back();
    }

    static QString log()
    {
        QFile file(privateHome() + QStringLiteral("/xdg_state_home/Murva Recorder.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    static bool waitForLog(const QString &text, double limitSec = startSec)
    {
        return waitFor([&] { return log().contains(text); }, limitSec);
    }

private:
    QString busAddress_;
    std::vector<std::unique_ptr<QProcess>> processes_;
};

// Visible windows whose title is exactly `title` (xdotool reads the X server).
bool windowShown(const QString &title)
{
    QProcess search;
    search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                              QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')});
    search.waitForFinished(5000);
    return !search.readAllStandardOutput().trimmed().isEmpty();
}

bool exitsWith(QProcess &process, int status, double limitSec = startSec)
{
    waitFor([&] { return process.state() == QProcess::NotRunning; }, limitSec);
    return process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == status;
}

class TraySystemTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!hasDesktopSession()) {
            GTEST_SKIP() << "needs the private desktop";
        }
        ASSERT_FALSE(bus.address().isEmpty());
    }

    std::optional<ExportedMenu> waitForMenu(StatusNotifierWatcher &watcher)
    {
        if (!waitFor([&] { return !watcher.items().isEmpty(); }, startSec)) {
            return std::nullopt;
        }
        return menuOf(bus.connection(), watcher.items().front());
    }

    PrivateBus bus;
    DesktopApp app{bus.address()};
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
        QProcess &process = app.launch();
        if (!panelFirst) {
            ASSERT_TRUE(DesktopApp::waitForLog(QStringLiteral("launched")));
            watcher = std::make_unique<StatusNotifierWatcher>(bus.connection());
        }
        const std::optional<ExportedMenu> menu = waitForMenu(*watcher);
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->labels(), (QStringList{QStringLiteral("Finish setting up…"), QStringLiteral("Quit Murva Recorder")}));
        ASSERT_TRUE(menu->click(QStringLiteral("Quit")));
        EXPECT_TRUE(exitsWith(process, 0));
    }
}

TEST_F(TraySystemTest, WithoutAPanelAWindowIsTheWayIn)
{
    QProcess &process = app.launch();
    ASSERT_TRUE(DesktopApp::waitForLog(QStringLiteral("menu bar icon hidden")));
    // Not set up (no account): welcome, never home.
    EXPECT_TRUE(waitFor([] { return windowShown(QStringLiteral("Murva")); }, startSec));
    EXPECT_FALSE(windowShown(QStringLiteral("Murva Recorder")));
    {
        StatusNotifierWatcher watcher(bus.connection());
        ASSERT_TRUE(waitForMenu(watcher));
        EXPECT_TRUE(DesktopApp::waitForLog(QStringLiteral("tray: a panel shows the icon")));
    }
    // The panel went away: hidden again, and the app runs on.
    EXPECT_TRUE(DesktopApp::waitForLog(QStringLiteral("tray: no panel shows the icon")));
    EXPECT_EQ(process.state(), QProcess::Running);
}

TEST_F(TraySystemTest, ASecondLaunchHandsItsRequestToTheFirstAndEnds)
{
    StatusNotifierWatcher watcher(bus.connection());
    QProcess &first = app.launch();
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
        QProcess &second = app.launch(test.arguments);
        EXPECT_TRUE(exitsWith(second, 0));
        if (!test.handled.isEmpty()) {
            EXPECT_TRUE(DesktopApp::waitForLog(test.handled));
        }
        EXPECT_TRUE(waitFor([&] { return windowShown(test.window); }, startSec));
    }
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(watcher.items().size(), 1);
}

} // namespace
} // namespace murva::test
