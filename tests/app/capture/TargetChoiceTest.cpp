#include "api/SaveError.h"
#include "app/FakeSources.h"
#include "capture/TargetChoice.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace murva;
using murva::test::window;

namespace {

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
        window(1, QRectF(0, 0, 400, 300), "us.zoom.xos", "Zoom"),
        window(2, QRectF(0, 0, 1200, 800), "us.zoom.xos", "Zoom Meeting"),
        window(3, QRectF(0, 0, 1900, 1000), "us.zoom.xos", "Hidden", false),
        window(4, QRectF(0, 0, 1900, 1000), "us.zoom.xos", "Menu", true, 1),
        window(5, QRectF(0, 0, 319, 4000), "us.zoom.xos", "Thin"),
        window(10, QRectF(0, 0, 8000, 199), "us.zoom.xos", "Flat"),
        window(6, QRectF(0, 0, 1800, 1000), "com.microsoft.teams2", "Teams"),
        window(7, QRectF(0, 0, 1800, 1000), "com.google.Chrome", "Meet - abc-defg-hij"),
        window(8, QRectF(0, 0, 1800, 1000), "", "No owner"),
        window(9, QRectF(0, 0, 1200, 800), "us.zoom.xos", "Same size, later"),
    };
    EXPECT_EQ(chosenId(content, zoomCall), 2u);
}

TEST(CallWindow, ABrowserCallPrefersWindowsShowingACallPage)
{
    ShareableContent content;
    content.windows = {
        window(1, QRectF(0, 0, 1800, 1000), "com.google.Chrome", "Inbox"),
        window(2, QRectF(0, 0, 800, 600), "org.mozilla.firefox", "Meet - abc-defg-hij"),
        window(3, QRectF(0, 0, 1900, 1000), "us.zoom.xos", "Zoom Meeting"),
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
