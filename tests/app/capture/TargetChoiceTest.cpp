#include "api/SaveError.h"
#include "capture/TargetChoice.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace murva;

namespace {

ShareableWindow window(std::uint32_t id, QString bundleID, QString title, QRectF frame, bool onScreen = true, int layer = 0)
{
    ShareableWindow w;
    w.windowID = id;
    w.title = std::move(title);
    w.frame = frame;
    w.isOnScreen = onScreen;
    w.windowLayer = layer;
    if (!bundleID.isEmpty()) {
        w.owningApplication = RunningApplication{bundleID, "App", 100 + id};
    }
    return w;
}

const Call zoomCall{CallApp::zoom, std::nullopt, true, AudioOwner::app(CallApp::zoom)};
const Call browserCall{CallApp::meet, std::nullopt, true, AudioOwner::browser()};

std::uint32_t chosenId(const ShareableContent &content, const Call &call)
{
    const auto found = callWindow(content, call);
    return found ? found->windowID : 0;
}

} // namespace

TEST(CallWindow, TakesTheLargestWindowOfTheCallsOwnApp)
{
    ShareableContent content;
    content.windows = {
        window(1, "us.zoom.xos", "Zoom", QRectF(0, 0, 400, 300)),
        window(2, "us.zoom.xos", "Zoom Meeting", QRectF(0, 0, 1200, 800)),
        window(3, "us.zoom.xos", "Hidden", QRectF(0, 0, 1900, 1000), false),
        window(4, "us.zoom.xos", "Menu", QRectF(0, 0, 1900, 1000), true, 1),
        window(5, "us.zoom.xos", "Thin", QRectF(0, 0, 319, 4000)),
        window(10, "us.zoom.xos", "Flat", QRectF(0, 0, 8000, 199)),
        window(6, "com.microsoft.teams2", "Teams", QRectF(0, 0, 1800, 1000)),
        window(7, "com.google.Chrome", "Meet - abc-defg-hij", QRectF(0, 0, 1800, 1000)),
        window(8, "", "No owner", QRectF(0, 0, 1800, 1000)),
        window(9, "us.zoom.xos", "Same size, later", QRectF(0, 0, 1200, 800)),
    };
    EXPECT_EQ(chosenId(content, zoomCall), 2u);
}

TEST(CallWindow, ABrowserCallPrefersWindowsShowingACallPage)
{
    ShareableContent content;
    content.windows = {
        window(1, "com.google.Chrome", "Inbox", QRectF(0, 0, 1800, 1000)),
        window(2, "org.mozilla.firefox", "Meet - abc-defg-hij", QRectF(0, 0, 800, 600)),
        window(3, "us.zoom.xos", "Zoom Meeting", QRectF(0, 0, 1900, 1000)),
    };
    EXPECT_EQ(chosenId(content, browserCall), 2u);
    content.windows.erase(content.windows.begin() + 1);
    EXPECT_EQ(chosenId(content, browserCall), 1u); // no call page: every browser window counts
    // A browser window is never the window of a native app's call.
    content.windows.pop_back();
    EXPECT_EQ(chosenId(content, zoomCall), 0u);
}

TEST(TargetChoice, FallsBackToTheMainDisplayThenTheFirstAndFailsWithoutAny)
{
    ShareableContent content;
    content.displays = {{1, QRectF(0, 0, 1280, 1024), false}, {2, QRectF(1280, 0, 1920, 1080), true}};
    content.applications = {{"dev.murva.recorder", "Murva Recorder", QCoreApplication::applicationPid()}};
    ChosenTarget chosen = targetIn(content, zoomCall);
    ASSERT_FALSE(chosen.target.isWindow());
    EXPECT_EQ(chosen.target.display().displayID, 2u);
    ASSERT_TRUE(chosen.own);
    EXPECT_EQ(chosen.own->bundleIdentifier, "dev.murva.recorder");

    content.displays[1].isMain = false;
    EXPECT_EQ(targetIn(content, zoomCall).target.display().displayID, 1u);

    content.displays.clear();
    EXPECT_THROW(targetIn(content, zoomCall), SaveError);
}
