#include "SoundPrograms.h"

#include "Adapters.h"
#include "calls/CallWatcher.h"
#include "pulse/PulseAudioProcesses.h"
#include "pulse/PulseSoundCapture.h"
#include "screen/ScreenAccess.h"
#include "settings/Settings.h"
#include "support/AwaitTask.h"
#include "support/PrivateServers.h"
#include "support/TestMain.h"
#include "support/TestWindowProcess.h"
#include "x11/X11ScreenContent.h"

#include <gtest/gtest.h>

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

// A real watcher on its timer, reading the real display, keeping every event.
class WatchedEvents {
public:
    explicit WatchedEvents(std::unique_ptr<AudioProcessSource> processes)
        : watcher(std::move(processes), std::make_shared<ScreenAccess>(Adapters::screenContent()), {}, kPollInterval)
    {
        watcher.onEvent = [this](const CallEvent &event) { events.push_back(event); };
        watcher.start();
    }

    // Runs the event loop until `count` events came, or for `limit`.
    bool waitForEvents(std::size_t count, std::chrono::milliseconds limit)
    {
        return test::waitFor([&] { return events.size() >= count; }, limit.count() / 1000.0);
    }

    CallWatcher watcher;
    std::vector<CallEvent> events;
};

class CallWatcherSystemTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!test::hasDesktopSession()) {
            GTEST_SKIP() << "needs the private desktop";
        }
        Settings().setScreenChecked(true);
        // The recorder's own microphone and computer-sound streams, as while recording.
        const auto error = ownCapture.start({[](SoundBuffer) {}, [] {}});
        ASSERT_FALSE(error) << error->toStdString();
    }
    void TearDown() override
    {
        ownCapture.stop();
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
    ASSERT_TRUE(watched.waitForEvents(3, 15s));
    EXPECT_EQ(watched.events, (std::vector{CallEvent::started(unsureBrowserCall), CallEvent::changed(meetCall),
                                           CallEvent::ended()}));
}

TEST_F(CallWatcherSystemTest, ALostSoundServerEndsTheCallAndItsReturnIsNoticed)
{
    test::PrivateSoundServer server;
    ASSERT_TRUE(server.isRunning());
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

TEST_F(CallWatcherSystemTest, ADisplayThatGoesAwayTakesTheCallPageWithIt)
{
    test::PrivateXServer display;
    ASSERT_TRUE(display.running());
    const test::ScopedEnv useIt("DISPLAY", display.displayName());
    TestWindowProcess meetPage({"--title", "Meet - abc-defg-hij", "--class", "Navigator,firefox"});
    ASSERT_NE(meetPage.windowId(), 0u);

    auto processes = std::make_unique<BrowserInMicrophone>();
    const std::shared_ptr<bool> inMicrophone = processes->inMicrophone;
    CallWatch::Time now{};
    CallWatcher watcher(std::move(processes), std::make_shared<ScreenAccess>(std::make_shared<X11ScreenContent>()),
                        [&] { return now; });
    std::vector<CallEvent> events;
    watcher.onEvent = [&](const CallEvent &event) { events.push_back(event); };
    const auto tickAfter = [&](CallWatch::Time::duration step) {
        now += step;
        test::await([&] { return watcher.tick(); });
    };
    tickAfter(0s);

    display.kill();
    tickAfter(2s); // the call goes on, its page unseen
    *inMicrophone = false;
    tickAfter(2s);
    tickAfter(5s);
    *inMicrophone = true;
    tickAfter(2s);
    EXPECT_EQ(events, (std::vector{CallEvent::started(meetCall), CallEvent::ended(),
                                   CallEvent::started(unsureBrowserCall)}));
}
