#include "app/FakeSources.h"
#include "support/AwaitTask.h"

#include "calls/CallWatcher.h"
#include "screen/ScreenAccess.h"
#include "settings/Settings.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

using namespace murva;
using namespace murva::test;
using namespace std::chrono_literals;

namespace {

const AudioOwner zoomOwner = AudioOwner::app(CallApp::zoom);
const AudioOwner browserOwner = AudioOwner::browser();
const QUrl meetLink("https://meet.google.com/abc-defg-hij");

const AudioProcess zoomInMicrophone{501, "us.zoom.xos", true, true};
const AudioProcess browserInMicrophone{601, "org.mozilla.firefox", true, false};
const AudioProcess browserPlaying{602, "com.google.Chrome", false, true};

class CallWatcherTest : public testing::Test {
protected:
    void SetUp() override
    {
        Settings().setScreenChecked(true);
        auto owned = std::make_unique<FakeProcesses>();
        processes = owned.get();
        watcher = std::make_unique<CallWatcher>(std::move(owned), std::make_shared<ScreenAccess>(screen),
                                                [this] { return now; });
        watcher->onEvent = [this](const CallEvent &event) { events.push_back(event); };
    }

    // One poll at `atSec` seconds.
    void pollAt(double atSec)
    {
        now = CallWatch::Time() + std::chrono::duration_cast<CallWatch::Time::duration>(
                                      std::chrono::duration<double>(atSec));
        await([&] { return watcher->tick(); });
    }

    std::shared_ptr<FakeScreen> screen = std::make_shared<FakeScreen>();
    FakeProcesses *processes = nullptr;
    CallWatch::Time now;
    std::unique_ptr<CallWatcher> watcher;
    std::vector<CallEvent> events;
};

} // namespace

TEST_F(CallWatcherTest, SoundSortsProgramsIntoOwnersAndLeavesTheRecorderOut)
{
    const qint64 ownProcessID = QCoreApplication::applicationPid();
    processes->now = {
        {11, "com.google.Chrome.helper", true, false},
        {12, "com.google.Chrome", false, true},
        {13, "us.zoom.xos", true, false},
        {ownProcessID, "com.microsoft.teams2", true, true},
        {14, "org.gnome.Maps", true, true},
        {15, "", true, true},
        {16, "com.tinyspeck.slackmacgap", false, false},
    };
    const Snapshot snapshot = await(watcher->sound());
    EXPECT_EQ(snapshot.input, (QSet<AudioOwner>{browserOwner, zoomOwner}));
    EXPECT_EQ(snapshot.output, (QSet<AudioOwner>{browserOwner}));
    EXPECT_FALSE(snapshot.page);
}

TEST_F(CallWatcherTest, ABrowserCallBecomesSureFromTheFirstBrowserWindowWithACallPage)
{
    processes->now = {browserInMicrophone, browserPlaying};
    screen->shown->windows = {window(0, {}, "org.mozilla.firefox", "New Tab")};
    pollAt(0);
    screen->shown->windows = {
        window(0, {}, "us.zoom.xos", "Zoom Meeting"),
        window(0, {}, "org.mozilla.firefox", ""),
        window(0, {}, "", "Meet - xyz-abcd-efg"),
        window(0, {}, "org.mozilla.firefox", "Inbox - Mozilla Firefox"),
        window(0, {}, "com.google.Chrome", "Meet - abc-defg-hij - Google Chrome"),
        window(0, {}, "org.mozilla.firefox", "Google Meet"),
    };
    pollAt(2);

    const Call unsure{CallApp::other, std::nullopt, false, browserOwner};
    const Call meet{CallApp::meet, meetLink, true, browserOwner};
    EXPECT_EQ(events, (std::vector{CallEvent::started(unsure), CallEvent::changed(meet)}));
    EXPECT_EQ(screen->askedOnScreenOnly, false);
}

TEST_F(CallWatcherTest, WithoutAProvenScreenCaptureABrowserCallStaysUnsure)
{
    Settings().setScreenChecked(false);
    screen->shown->windows = {window(0, {}, "org.mozilla.firefox", "Meet - abc-defg-hij")};
    processes->now = {browserInMicrophone};
    pollAt(0);
    pollAt(2);
    EXPECT_EQ(events, (std::vector{CallEvent::started(Call{CallApp::other, std::nullopt, false, browserOwner})}));
    EXPECT_EQ(screen->asked, 0);
}

TEST_F(CallWatcherTest, TheWindowsAreReadOnlyWhileABrowserUsesSound)
{
    processes->now = {zoomInMicrophone};
    pollAt(0);
    EXPECT_EQ(screen->asked, 0);
    processes->now = {zoomInMicrophone, browserPlaying};
    pollAt(2);
    EXPECT_EQ(screen->asked, 1);
    EXPECT_EQ(events, (std::vector{CallEvent::started(Call{CallApp::zoom, std::nullopt, true, zoomOwner})}));
}

// Were the time read before the windows, a slow answer would count as quiet that
// nobody observed, and a call could end early.
TEST_F(CallWatcherTest, TheQuietIsCountedFromAfterTheWindowsWereRead)
{
    processes->now = {zoomInMicrophone};
    pollAt(0);
    processes->now = {browserPlaying};
    screen->whileAsked = [this] { now += 4s; };
    pollAt(1); // quiet from 5, once the windows are in
    screen->whileAsked = {};
    processes->now = {};
    pollAt(7);
    EXPECT_EQ(events.size(), 1u);
    pollAt(10);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1], CallEvent::ended());
}

TEST_F(CallWatcherTest, AWatcherDestroyedWhileReadingTheWindowsDoesNothingMore)
{
    screen->delay = 50ms;
    processes->now = {browserInMicrophone};
    bool calledAfterwards = false;
    watcher->onEvent = [&](const CallEvent &) { calledAfterwards = true; };
    QCoro::Task<> polling = watcher->tick();
    watcher.reset();
    await(std::move(polling));
    EXPECT_FALSE(calledAfterwards);
}
