// Pictures of a whole screen, on an X server of this test's own (white root window),
// so that nothing else draws on it and it can be killed.
#include "picture/X11PictureCapture.h"

#include "FrameSink.h"
#include "TestScreen.h"
#include "TestTargets.h"

#include "support/PrivateServers.h"

#include <gtest/gtest.h>

#include <thread>

namespace murva::test {
namespace {
using namespace std::chrono_literals;

const QSize kScreenSize(1440, 900);
const QRect kWholeScreen(QPoint(0, 0), kScreenSize);

class ScreenPictureTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.running()) << "Xvfb did not start";
        ASSERT_TRUE(screen.connected());
    }

    void startOn(const CaptureTarget &target, QSize frameSize, bool showsCursor = false)
    {
        const std::optional<QString> error = capture.start(target, {}, frameSize, showsCursor, sink.callbacks());
        ASSERT_FALSE(error) << error->toStdString();
    }

    PrivateXServer server{kScreenSize};
    TestScreen screen{server.displayName()};
    FrameSink sink;
    X11PictureCapture capture{server.displayName()};
};

TEST_F(ScreenPictureTest, DisplayPictureIsTheWholeScreenScaledToTheFrame)
{
    screen.addWindow(QRect(0, 0, 720, 450), kRed);
    screen.addWindow(QRect(720, 450, 720, 450), kBlue);
    startOn(displayTarget(kWholeScreen), QSize(1280, 800));
    ASSERT_TRUE(sink.waitFor(colourIs(QPoint(320, 200), kRed)));

    const VideoFrame picture = sink.latest();
    EXPECT_EQ(picture.width, 1280);
    EXPECT_EQ(picture.height, 800);
    EXPECT_TRUE(near(colourAt(picture, QPoint(2, 2)), kRed));
    EXPECT_TRUE(near(colourAt(picture, QPoint(960, 600)), kBlue));
    EXPECT_TRUE(near(colourAt(picture, QPoint(1277, 797)), kBlue));
    EXPECT_TRUE(near(colourAt(picture, QPoint(960, 200)), kWhite));
    EXPECT_TRUE(near(colourAt(picture, QPoint(320, 600)), kWhite));
}

TEST_F(ScreenPictureTest, PointerIsDrawnOnlyWhenAsked)
{
    const QPoint pointer(700, 400);
    screen.movePointer(pointer);
    const auto darkestNearPointer = [&](const VideoFrame &frame) {
        int darkest = 255;
        for (int y = pointer.y() - 12; y <= pointer.y() + 12; ++y) {
            for (int x = pointer.x() - 12; x <= pointer.x() + 12; ++x) {
                darkest = std::min<int>(darkest, frame.i420[y * frame.width + x]);
            }
        }
        return darkest;
    };

    startOn(displayTarget(kWholeScreen), kScreenSize, false);
    ASSERT_TRUE(sink.waitForMore(2));
    EXPECT_GT(darkestNearPointer(sink.latest()), 200) << "the pointer was drawn though not asked for";
    capture.stop();

    startOn(displayTarget(kWholeScreen), kScreenSize, true);
    EXPECT_TRUE(sink.waitFor([&](const VideoFrame &frame) { return darkestNearPointer(frame) < 100; }))
        << "no pointer in the picture";
}

TEST_F(ScreenPictureTest, AimSwitchesBetweenWindowAndDisplayWithoutARestart)
{
    // A red window under a blue one: the display shows blue, the window red.
    const QRect frame(360, 225, 720, 450);
    const xcb_window_t window = screen.addWindow(frame, kRed);
    screen.addWindow(frame, kBlue);
    const QPoint centre(640, 360);

    startOn(windowTarget(window, frame), QSize(1280, 720));
    ASSERT_TRUE(sink.waitFor(colourIs(centre, kRed)));
    capture.aim(displayTarget(kWholeScreen), {});
    ASSERT_TRUE(sink.waitFor(colourIs(centre, kBlue)));
    // Both 16:10 in 16:9: the same bars either way.
    EXPECT_TRUE(near(colourAt(sink.latest(), QPoint(40, 360)), kBlack));
    EXPECT_TRUE(near(colourAt(sink.latest(), QPoint(80, 360)), kWhite));
    capture.aim(windowTarget(window, frame), {});
    ASSERT_TRUE(sink.waitFor(colourIs(centre, kRed)));

    EXPECT_EQ(sink.latest().width, 1280);
    EXPECT_EQ(sink.brokenCount(), 0);
}

TEST_F(ScreenPictureTest, KilledServerBreaksTheCaptureOnce)
{
    startOn(displayTarget(kWholeScreen), QSize(1280, 800));
    ASSERT_TRUE(sink.waitForMore(2));

    server.kill();
    ASSERT_TRUE(sink.waitForBroken());
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(sink.brokenCount(), 1);
    EXPECT_EQ(sink.framesAfterBroken(), 0);
    capture.stop();
}

TEST(PictureCaptureFallbackTest, ServerWithoutSharedMemoryStillGivesPictures)
{
    PrivateXServer server(QSize(640, 480), {"-extension", "MIT-SHM"});
    ASSERT_TRUE(server.running());
    TestScreen screen(server.displayName());
    screen.addWindow(QRect(0, 0, 320, 480), kGreen);
    FrameSink sink;
    X11PictureCapture capture(server.displayName());
    ASSERT_FALSE(capture.start(displayTarget(QRect(0, 0, 640, 480)), {}, QSize(640, 480), true, sink.callbacks()));

    EXPECT_TRUE(sink.waitFor([](const VideoFrame &frame) {
        return near(colourAt(frame, QPoint(100, 240)), kGreen) && near(colourAt(frame, QPoint(540, 240)), kWhite);
    }));
    capture.stop();
}

TEST(PictureCaptureStartTest, FailsWithoutAnXServer)
{
    X11PictureCapture capture(":997");
    FrameSink sink;
    const CaptureTarget display = displayTarget(QRect(0, 0, 640, 480));
    EXPECT_TRUE(capture.start(display, {}, QSize(640, 480), false, sink.callbacks()));
    EXPECT_EQ(sink.frameCount(), 0);
    capture.stop();
}

} // namespace
} // namespace murva::test
