#include "SoundPrograms.h"
#include "TestDisplays.h"
#include "TestWindowProcess.h"

#include "Adapters.h"
#include "calls/CallWatcher.h"
#include "pulse/PulseAudioProcesses.h"
#include "pulse/PulseSoundCapture.h"
#include "screen/ScreenAccess.h"
#include "settings/Settings.h"
#include "support/AwaitTask.h"
#include "support/TestMain.h"
#include "x11/X11ScreenContent.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

using namespace murva;
using namespace std::chrono_literals;
using test::SoundProgram;
using test::TestWindowProcess;

namespace {

const AudioOwner browserOwner = AudioOwner::browser();
const Call unsureBrowserCall{CallApp::other, std::nullopt, false, browserOwner};
const Call meetCall{CallApp::meet, QUrl("https://meet.google.com/abc-defg-hij"), true, browserOwner};
const Call zoomCall{CallApp::zoom, std::nullopt, true, AudioOwner::app(CallApp::zoom)};

constexpr auto kPollInterval = 200ms;

using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// A real watcher on its timer, keeping every event with the time it came.
class WatchedEvents {
public:
    explicit WatchedEvents(std::unique_ptr<AudioProcessSource> processes)
        : watcher(std::move(processes), {}, kPollInterval)
    {
        watcher.onEvent = [this](const CallEvent &event) {
            events.push_back(event);
            times.push_back(Clock::now());
        };
        watcher.start();
    }

    // Runs the event loop until `count` events came, or for `limit`.
    bool waitForEvents(std::size_t count, std::chrono::milliseconds limit)
    {
        const QDeadlineTimer deadline(limit);
        while (events.size() < count && !deadline.hasExpired()) {
            QEventLoop loop;
            QTimer::singleShot(20ms, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return events.size() >= count;
    }

    CallWatcher watcher;
    std::vector<CallEvent> events;
    std::vector<Clock::time_point> times;
};

class CallWatcherSystemTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!test::hasDesktopSession()) {
            GTEST_SKIP() << "needs the private desktop";
        }
        ScreenAccess::unblock();
        ScreenAccess::setSource(Adapters::screenContent());
        Settings().setScreenChecked(true);
        // The recorder's own microphone and computer-sound streams, as while recording.
        const auto error = ownCapture.start({[](SoundBuffer) {}, [] {}});
        ASSERT_FALSE(error) << error->toStdString();
    }
    void TearDown() override
    {
        ownCapture.stop();
        ScreenAccess::setSource(nullptr);
        ScreenAccess::unblock();
    }

    PulseSoundCapture ownCapture;
};

// Only what the test hands in uses sound; the desktop behind the windows is real.
struct BrowserInMicrophone : AudioProcessSource {
    std::shared_ptr<bool> inMicrophone = std::make_shared<bool>(true);

    QCoro::Task<std::vector<AudioProcess>> processes() override
    {
        std::vector<AudioProcess> using_;
        if (*inMicrophone) {
            using_.push_back({4242, "org.mozilla.firefox", true, false});
        }
        co_return using_;
    }
};

} // namespace

TEST_F(CallWatcherSystemTest, ZoomTakingTheMicrophoneStartsACallButTheRecordersOwnStreamsNever)
{
    WatchedEvents watched(Adapters::audioProcesses());
    EXPECT_FALSE(watched.waitForEvents(1, 3 * kPollInterval));

    SoundProgram zoom(SoundProgram::Kind::recording, "us.zoom.xos");
    ASSERT_TRUE(watched.waitForEvents(1, 3s));
    EXPECT_EQ(watched.events, (std::vector{CallEvent::started(zoomCall)}));
}

TEST_F(CallWatcherSystemTest, ABrowserCallStartsBecomesAMeetCallAndEndsAfterTheQuiet)
{
    WatchedEvents watched(Adapters::audioProcesses());
    SoundProgram browserSound(SoundProgram::Kind::playing, "org.mozilla.firefox");
    ASSERT_NE(browserSound.pid(), 0);
    // Sound alone is no call.
    EXPECT_FALSE(watched.waitForEvents(1, 4 * kPollInterval));

    SoundProgram browserMicrophone(SoundProgram::Kind::recording, "org.mozilla.firefox");
    ASSERT_TRUE(watched.waitForEvents(1, 3s));

    TestWindowProcess meetPage({"--title", "Meet - abc-defg-hij", "--class", "Navigator,firefox", "--pid",
                                QString::number(browserSound.pid()), "--geometry", "800x600+40+40"});
    ASSERT_NE(meetPage.windowId(), 0u);
    ASSERT_TRUE(watched.waitForEvents(2, 3s));

    browserMicrophone.stop();
    browserSound.stop();
    const Clock::time_point releasedAt = Clock::now();
    ASSERT_TRUE(watched.waitForEvents(3, 8s));
    EXPECT_EQ(watched.events, (std::vector{CallEvent::started(unsureBrowserCall), CallEvent::changed(meetCall),
                                           CallEvent::ended()}));
    const double quietSec = secondsBetween(releasedAt, watched.times[2]);
    EXPECT_GE(quietSec, 4.95);
    EXPECT_LT(quietSec, 5.0 + 3 * std::chrono::duration<double>(kPollInterval).count());
}

TEST_F(CallWatcherSystemTest, ALostSoundServerEndsTheCallAndItsReturnIsNoticed)
{
    test::RestartableSoundServer server;
    ASSERT_TRUE(server.start());
    auto processes = std::make_unique<PulseAudioProcesses>(server.address().toStdString());
    WatchedEvents watched(std::move(processes));

    auto zoom = std::make_unique<SoundProgram>(SoundProgram::Kind::recording, "us.zoom.xos", server.address());
    ASSERT_TRUE(watched.waitForEvents(1, 3s));

    server.kill();
    zoom.reset();
    EXPECT_EQ(test::await(watched.watcher.sound()), Snapshot());
    ASSERT_TRUE(watched.waitForEvents(2, 8s));

    ASSERT_TRUE(server.start());
    zoom = std::make_unique<SoundProgram>(SoundProgram::Kind::recording, "us.zoom.xos", server.address());
    ASSERT_TRUE(watched.waitForEvents(3, 3s));
    EXPECT_EQ(watched.events,
              (std::vector{CallEvent::started(zoomCall), CallEvent::ended(), CallEvent::started(zoomCall)}));
}

TEST_F(CallWatcherSystemTest, WithoutADisplayThereIsNoCallPage)
{
    const test::ScopedDisplay none("");
    auto processes = std::make_unique<BrowserInMicrophone>();
    CallWatcher watcher(std::move(processes));
    std::vector<CallEvent> events;
    watcher.onEvent = [&](const CallEvent &event) { events.push_back(event); };
    test::await([&] { return watcher.tick(); });
    test::await([&] { return watcher.tick(); });
    EXPECT_EQ(events, (std::vector{CallEvent::started(unsureBrowserCall)}));
}

TEST_F(CallWatcherSystemTest, ADisplayThatGoesAwayTakesTheCallPageWithIt)
{
    test::PrivateDisplay display;
    ASSERT_FALSE(display.name().isEmpty());
    const test::ScopedDisplay useIt(display.name());
    ScreenAccess::setSource(std::make_shared<X11ScreenContent>());
    TestWindowProcess meetPage({"--title", "Meet - abc-defg-hij", "--class", "Navigator,firefox"});
    ASSERT_NE(meetPage.windowId(), 0u);

    auto processes = std::make_unique<BrowserInMicrophone>();
    const std::shared_ptr<bool> inMicrophone = processes->inMicrophone;
    CallWatch::Time now{};
    CallWatcher watcher(std::move(processes), [&] { return now; });
    std::vector<CallEvent> events;
    watcher.onEvent = [&](const CallEvent &event) { events.push_back(event); };
    test::await([&] { return watcher.tick(); });

    display.signal(SIGKILL);
    now += 2s;
    test::await([&] { return watcher.tick(); }); // the call goes on, its page unseen
    *inMicrophone = false;
    now += 2s;
    test::await([&] { return watcher.tick(); });
    now += 5s;
    test::await([&] { return watcher.tick(); });
    *inMicrophone = true;
    now += 2s;
    test::await([&] { return watcher.tick(); });
    EXPECT_EQ(events, (std::vector{CallEvent::started(meetCall), CallEvent::ended(),
                                   CallEvent::started(unsureBrowserCall)}));
}
