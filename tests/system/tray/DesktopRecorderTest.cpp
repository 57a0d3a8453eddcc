// The desktop app signed in against the local service, on the private display, with a
// stand-in panel on a private session bus: the tray menu reaches the model, the bar
// follows the phases at its place without taking the focus, a second launch waits for
// a first that is quitting, and a lost X server never loses a recording. (That quitting
// keeps a recording for the next launch is LeftoversTest's: both apps quit the same way.)
#include "PanelBus.h"
#include "ShownWindow.h"

#include "EndToEndTest.h"

#include "support/PrivateServers.h"
#include "support/TestWindowProcess.h"

#include <QRect>

namespace murva::test {
namespace {

constexpr double startSec = 30;

std::optional<QString> shownBar()
{
    return shownWindow(QStringLiteral("Murva Recorder"), true);
}

QRect geometryOf(const QString &window)
{
    const QString info = xTool(QStringLiteral("xwininfo"), window.isEmpty() ? QStringList{QStringLiteral("-root")}
                                                                            : QStringList{QStringLiteral("-id"), window});
    auto value = [&](const QString &key) {
        const QRegularExpression line(QRegularExpression::escape(key) + QStringLiteral(":\\s*(-?\\d+)"));
        return line.match(info).captured(1).toInt();
    };
    return QRect(value(QStringLiteral("Absolute upper-left X")), value(QStringLiteral("Absolute upper-left Y")),
                 value(QStringLiteral("Width")), value(QStringLiteral("Height")));
}

// At the top centre of the screen (without a window manager nothing reserves a part of
// it, so the free area is the whole screen): centred, and hanging from its top edge with
// the upper part of its frame (the shadow's margin) above it.
void expectAtTopCentre(const QString &bar)
{
    const QRect screen = geometryOf({});
    const QRect frame = geometryOf(bar);
    EXPECT_NEAR(frame.center().x(), screen.center().x(), 1) << frame.x() << " width " << frame.width();
    EXPECT_LE(frame.top(), screen.top());
    EXPECT_GT(frame.top() + frame.height() / 2, screen.top()) << frame.y() << " height " << frame.height();
}

QString focusedWindow()
{
    return xTool(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")}).trimmed();
}

// An ordinary window of another program that holds the keyboard focus.
class FocusedWindow {
public:
    FocusedWindow()
    {
        xTool(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"),
                                          QString::number(window_.windowId())});
    }
    bool hasFocus() const { return focusedWindow().toULongLong() == window_.windowId(); }

private:
    TestWindowProcess window_{{QStringLiteral("--title"), QStringLiteral("Someone's editor"),
                               QStringLiteral("--geometry"), QStringLiteral("600x400+100+300")}};
};

class DesktopRecorderTest : public LeftoversTest {
protected:
    void SetUp() override
    {
        LeftoversTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        ASSERT_FALSE(bus.address().isEmpty());
        recorder->setMode(RecorderRun::Mode::desktop);
        recorder->setEnvironment(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    }

    // The menu of an item registered with the panel from index `item` on, once it shows
    // `label`. Every item is asked anew each time: a process may register more than one,
    // and an item's menu may not be exported yet when it first appears.
    std::optional<ExportedMenu> menuShowing(const QString &label, qsizetype item = 0)
    {
        std::optional<ExportedMenu> menu;
        recorder->waitUntil(
            [&] {
                const QStringList items = watcher.items();
                for (qsizetype index = items.size() - 1; index >= item; --index) {
                    menu = menuOf(bus.connection(), items.at(index));
                    if (menu && menu->labels().contains(label)) {
                        return true;
                    }
                }
                menu.reset();
                return false;
            },
            startSec);
        if (!menu) {
            ADD_FAILURE() << "no menu line " << qPrintable(label) << "\n" << qPrintable(recorder->output());
        }
        return menu;
    }

    // The menu is rebuilt while recording (its clock line), so an item's id may be gone
    // by the time the click arrives, as with a real panel: click again.
    bool click(const ExportedMenu &menu, const QString &label)
    {
        return recorder->waitUntil([&] { return menu.click(label); }, startSec);
    }

    std::optional<QString> waitForBar()
    {
        std::optional<QString> bar;
        recorder->waitUntil([&] { return (bar = shownBar()).has_value(); }, startSec);
        return bar;
    }

    PrivateBus bus;
    StatusNotifierWatcher watcher{bus.connection()};
};

const QString recordNow = QStringLiteral("Record now");

// Signed in, with another program's window focused: the panel's clicks start and stop a
// recording and open the settings; the bar shows while recording and saving, comes back
// to its place when shown again after being dragged away, and never takes the focus.
TEST_F(DesktopRecorderTest, ReadyMenuClicksReachTheModelAndTheBarKeepsOutOfTheWay)
{
    ASSERT_FALSE(recorder->launchAndSignIn().isEmpty()) << qPrintable(recorder->output());
    const std::optional<ExportedMenu> menu = menuShowing(recordNow); // its lines are the menu's tests' business
    ASSERT_TRUE(menu);
    EXPECT_FALSE(shownBar()) << "a bar while idle";

    const FocusedWindow editor;
    ASSERT_TRUE(editor.hasFocus());
    struct Case {
        QString click;
        QString logged;   // the model's line for the operation
        QString menuLine; // a line the menu shows afterwards
        double thenSec;   // how long the phase lasts (a recording under 10 s is dropped)
    };
    const Case cases[] = {
        {recordNow, QStringLiteral("start: "), QStringLiteral("Stop and save"), 11},
        {QStringLiteral("Stop and save"), QStringLiteral("saved: meeting"), recordNow, 0},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(qPrintable(test.click));
        ASSERT_TRUE(click(*menu, test.click)) << qPrintable(menu->labels().join(QLatin1Char('|')));
        EXPECT_TRUE(recorder->waitForLine(test.logged, startSec)) << qPrintable(recorder->output());
        EXPECT_TRUE(menuShowing(test.menuLine));
        const std::optional<QString> bar = waitForBar();
        ASSERT_TRUE(bar);
        expectAtTopCentre(*bar);
        EXPECT_TRUE(editor.hasFocus()) << "focus went to " << qPrintable(focusedWindow());
        // Dragged away by the user; the next phase puts it back.
        xTool(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), QStringLiteral("--sync"), *bar,
                                          QStringLiteral("300"), QStringLiteral("500")});
        recorder->keepReading(test.thenSec);
    }
    EXPECT_EQ(service.meetings().size(), 1);

    ASSERT_TRUE(click(*menu, QStringLiteral("Settings…")));
    EXPECT_TRUE(recorder->waitUntil([] { return shownWindow(QStringLiteral("Settings"), false).has_value(); }, startSec));
}

// Its own X server dies 12 s into a recorded call: the app cannot go on, but the file
// it was writing stays readable and the next launch (on another display) saves it.
TEST_F(DesktopRecorderTest, LostXServerLeavesTheRecordingForTheNextLaunch)
{
    PrivateXServer xvfb(QSize(1280, 720));
    ASSERT_TRUE(xvfb.running());
    const QString display = QString::fromLatin1(xvfb.displayName());
    recorder->setEnvironment(QStringLiteral("DISPLAY"), display);

    ASSERT_FALSE(recorder->launchAndSignIn().isEmpty()) << qPrintable(recorder->output());
    SimulatedCall call(60, display);
    ASSERT_TRUE(call.waitUntilStarted());
    ASSERT_TRUE(recorder->waitForLine(zoomStarted, 10)) << qPrintable(recorder->output());
    recorder->keepReading(12);

    xvfb.kill();
    ASSERT_TRUE(recorder->waitForExit(30)) << qPrintable(recorder->output());
    call.hangUp();
    ASSERT_NO_FATAL_FAILURE(expectOneLeftover(QStringLiteral("recording")));

    recorder->setEnvironment(QStringLiteral("DISPLAY"), qEnvironmentVariable("DISPLAY"));
    recorder->setMode(RecorderRun::Mode::headless);
    const QJsonObject meeting = relaunchAndExpectSaved();
    EXPECT_GE(meeting.value("durationSec").toDouble(), 1);
}

// Launched again while the first is still finishing its recording: the second waits for
// the first to let go, then runs as the only instance with its own tray item.
TEST_F(DesktopRecorderTest, SecondLaunchWhileTheFirstQuitsStartsAfterIt)
{
    ASSERT_FALSE(recorder->launchAndSignIn().isEmpty()) << qPrintable(recorder->output());
    const std::optional<ExportedMenu> first = menuShowing(recordNow);
    ASSERT_TRUE(first);
    ASSERT_TRUE(click(*first, recordNow));
    ASSERT_TRUE(recorder->waitForLine(QStringLiteral("start: "), startSec)) << qPrintable(recorder->output());
    recorder->keepReading(3);

    recorder->terminate();
    ASSERT_TRUE(recorder->waitForLine(QStringLiteral("^\\S+ \\[\\S+\\] quitting$"), startSec));
    EXPECT_TRUE(recorder->saw(QStringLiteral("quitting on signal 15")));
    QProcess &second = recorder->launchAlongside();
    ASSERT_TRUE(recorder->waitForExit(30));
    EXPECT_EQ(recorder->exitCode(), 0);

    const std::optional<ExportedMenu> menu = menuShowing(recordNow, 1);
    ASSERT_TRUE(menu);
    EXPECT_EQ(second.state(), QProcess::Running);
    EXPECT_FALSE(recorder->saw(QStringLiteral("running alone"))) << qPrintable(recorder->output());
    ASSERT_TRUE(click(*menu, QStringLiteral("Quit")));
    EXPECT_TRUE(waitFor([&] { return second.state() == QProcess::NotRunning; }, startSec));
    EXPECT_EQ(second.exitCode(), 0);
}

} // namespace
} // namespace murva::test
