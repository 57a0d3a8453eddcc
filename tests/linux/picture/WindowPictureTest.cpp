// Pictures of windows on the shared test display. Windows are read from their own
// off-screen pixmaps, so what other tests draw on the same display cannot disturb these.
#include "picture/X11PictureCapture.h"

#include "FrameSink.h"
#include "TestScreen.h"
#include "TestTargets.h"
#include "support/TestMain.h"

#include <gtest/gtest.h>

#include <thread>

namespace murva::test {
namespace {
using namespace std::chrono_literals;

const QSize kWindowFrameSize(1280, 720);
const QPoint kCentre(640, 360);

class WindowPictureTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!hasDesktopSession()) {
            GTEST_SKIP() << "needs the private desktop session";
        }
        ASSERT_TRUE(screen.connected());
    }

    void startOn(xcb_window_t window, const QRect &frame, const QRectF &sourceRect = {})
    {
        const std::optional<QString> error =
            capture.start(windowTarget(window, frame), sourceRect, kWindowFrameSize, false, sink.callbacks());
        ASSERT_FALSE(error) << error->toStdString();
    }

    TestScreen screen;
    FrameSink sink;
    X11PictureCapture capture; // declared last: stops before the sink goes
};

// Picture n is due at n / 15 s and missed ones are skipped, so the pictures never come
// faster than that (give or take the first one); a busy machine only makes them later.
TEST_F(WindowPictureTest, FramesComeAtMostFifteenTimesASecondUntilStopped)
{
    const QRect frame(40, 40, 640, 360);
    const std::int64_t beforeNs = monotonicNowNs();
    startOn(screen.addWindow(frame, kGreen), frame);
    ASSERT_TRUE(sink.waitForMore(16));

    const VideoFrame latest = sink.latest();
    EXPECT_EQ(latest.width, 1280);
    EXPECT_EQ(latest.height, 720);
    EXPECT_EQ(latest.i420.size(), 1280u * 720 * 3 / 2);
    const std::vector<std::int64_t> stamps = sink.stamps();
    EXPECT_GE(stamps.front(), beforeNs);
    EXPECT_LE(stamps.back(), monotonicNowNs());
    EXPECT_GE(stamps.back() - stamps.front(), std::int64_t(stamps.size() - 2) * kNsPerSec / 15);

    capture.stop();
    const int countAtStop = sink.frameCount();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(sink.frameCount(), countAtStop);
    capture.stop();
    EXPECT_EQ(sink.brokenCount(), 0);
}

TEST_F(WindowPictureTest, SourceRectCutsOffTheTopBand)
{
    const QRect frame(20, 20, 800, 600);
    const xcb_window_t window = screen.addWindow(frame, kBlue);
    screen.addBand(window, QRect(0, 0, 800, 100), kGreen);

    // 800x500 below the band: 1152x720 at x 64, blue from its first row.
    startOn(window, frame, QRectF(0, 100, 800, 500));
    ASSERT_TRUE(sink.waitFor(colourIs(kCentre, kBlue)));
    EXPECT_TRUE(near(colourAt(sink.latest(), QPoint(640, 2)), kBlue));

    // Uncropped the band comes back: 960x720, its top 120 rows green.
    capture.aim(windowTarget(window, frame), QRectF());
    EXPECT_TRUE(sink.waitFor(colourIs(QPoint(640, 60), kGreen)));
    EXPECT_TRUE(near(colourAt(sink.latest(), QPoint(640, 400)), kBlue));
}

TEST_F(WindowPictureTest, FollowsTheWindowThroughResizeAndRemap)
{
    const QRect frame(80, 80, 640, 480);
    const xcb_window_t window = screen.addWindow(frame, kRed);
    startOn(window, frame);
    ASSERT_TRUE(sink.waitFor(colourIs(kCentre, kRed)));
    EXPECT_TRUE(near(colourAt(sink.latest(), QPoint(80, 360)), kBlack));

    // A resized window draws into a new pixmap: at 16:9 the bars are gone.
    screen.resize(window, 640, 360);
    EXPECT_TRUE(sink.waitFor(colourIs(QPoint(80, 360), kRed)));

    // Mapped again it draws into yet another one.
    screen.unmap(window);
    screen.setColour(window, kBlue);
    screen.map(window);
    EXPECT_TRUE(sink.waitFor(colourIs(kCentre, kBlue)));
    EXPECT_EQ(sink.brokenCount(), 0);
}

TEST_F(WindowPictureTest, ClosedWindowKeepsItsLastPictureWithoutBreaking)
{
    const QRect frame(30, 30, 640, 360);
    const xcb_window_t window = screen.addWindow(frame, kGreen);
    startOn(window, frame);
    ASSERT_TRUE(sink.waitFor(colourIs(kCentre, kGreen)));

    screen.destroy(window);
    ASSERT_TRUE(sink.waitForMore(8));
    EXPECT_TRUE(near(colourAt(sink.latest(), kCentre), kGreen));
    EXPECT_EQ(sink.brokenCount(), 0);

    // Aimed at a window that no longer exists, the picture holds as well.
    capture.aim(windowTarget(window, frame), QRectF());
    ASSERT_TRUE(sink.waitForMore(4));
    EXPECT_TRUE(near(colourAt(sink.latest(), kCentre), kGreen));

    const QRect otherFrame(50, 50, 320, 180);
    capture.aim(windowTarget(screen.addWindow(otherFrame, kRed), otherFrame), QRectF());
    EXPECT_TRUE(sink.waitFor(colourIs(kCentre, kRed)));
    EXPECT_EQ(sink.brokenCount(), 0);
}

TEST_F(WindowPictureTest, StartingOnAMissingWindowGivesBlackFrames)
{
    const QRect frame(10, 10, 320, 240);
    const xcb_window_t window = screen.addWindow(frame, kRed);
    screen.destroy(window);
    startOn(window, frame);
    ASSERT_TRUE(sink.waitForMore(4));
    EXPECT_TRUE(near(colourAt(sink.latest(), kCentre), kBlack));
    EXPECT_EQ(sink.brokenCount(), 0);
}

} // namespace
} // namespace murva::test
