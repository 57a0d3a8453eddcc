#include "FakePorts.h"
#include "app/FakeSources.h"
#include "support/AwaitTask.h"
#include "support/Files.h"

#include "capture/Capture.h"
#include "log/Log.h"

#include <QTemporaryDir>

#include <gmock/gmock.h>

using namespace murva;
using namespace murva::test;

namespace {

constexpr std::int64_t second = 1'000'000'000;
constexpr std::int64_t t0 = 1000 * second; // an arbitrary monotonic time

ShareableDisplay display(std::uint32_t id, QRectF frame)
{
    return ShareableDisplay{id, frame, true};
}

struct Rig {
    QTemporaryDir dir;
    FakeSound *sound = new FakeSound;
    FakePicture *picture;
    FakeWriter *writer = new FakeWriter;
    std::unique_ptr<Capture> capture;

    // Without video there is no picture source at all, as in a sound-only capture.
    explicit Rig(bool withVideo = true) : picture(withVideo ? new FakePicture : nullptr)
    {
        capture = std::make_unique<Capture>(dir.filePath("rec.mp4"), withVideo,
                                            CapturePorts{std::unique_ptr<SoundCapture>(sound),
                                                         std::unique_ptr<PictureCapture>(picture),
                                                         std::unique_ptr<MediaWriter>(writer)});
        capture->monotonicNowNs = [this] { return nowNs; };
    }
    void begin(const CaptureTarget &target) { murva::test::await(capture->begin(target, std::nullopt)); }
    CaptureResult end(std::int64_t atNs = t0 + 3600 * second)
    {
        nowNs = atNs;
        return murva::test::await(capture->end());
    }

    std::int64_t nowNs = t0;
};

std::vector<float> tone(std::size_t count, float level)
{
    return std::vector<float>(count, level);
}

int linesInLog(const QString &text)
{
    Log::flush();
    return int(readFile(Log::filePath()).count(text.toUtf8()));
}

} // namespace

TEST(CaptureRules, FrameSizeOfWindowsAndDisplays)
{
    EXPECT_EQ(Capture::frameSize({window(1, QRectF(0, 0, 640, 480))}), QSize(1280, 720));
    const auto sizeOf = [](double w, double h) { return Capture::frameSize({display(1, QRectF(0, 0, w, h))}); };
    EXPECT_EQ(sizeOf(2560, 1440), QSize(1280, 720));
    EXPECT_EQ(sizeOf(1024, 768), QSize(1024, 768));
    EXPECT_EQ(sizeOf(1366, 768), QSize(1280, 718));
    EXPECT_EQ(sizeOf(1440, 900), QSize(1280, 800));
    EXPECT_EQ(sizeOf(1, 1), QSize(2, 2));
}

TEST(CaptureRules, CropCutsTheToolbarOffBrowserWindowsOnly)
{
    const std::vector<ShareableDisplay> displays{display(1, QRectF(0, 0, 1920, 1080))};
    const CaptureTarget chrome{window(1, QRectF(100, 100, 1200, 800), "com.google.Chrome")};
    EXPECT_EQ(Capture::crop(chrome, displays), QRectF(0, 80, 1200, 720));
    // Full screen (frame equal to a display's size): the full-screen bar height, 0 for Chrome.
    const CaptureTarget fullChrome{window(1, QRectF(0, 0, 1920, 1080), "com.google.Chrome")};
    EXPECT_TRUE(Capture::crop(fullChrome, displays).isNull());
    // Not taller than three bars: not cropped.
    EXPECT_TRUE(Capture::crop({window(1, QRectF(0, 0, 800, 240), "com.google.Chrome")}, displays).isNull());
    EXPECT_FALSE(Capture::crop({window(1, QRectF(0, 0, 800, 241), "com.google.Chrome")}, displays).isNull());
    EXPECT_TRUE(Capture::crop({window(1, QRectF(0, 0, 1200, 800), "org.mozilla.firefox")}, displays).isNull());
    EXPECT_TRUE(Capture::crop({display(1, QRectF(0, 0, 1920, 1080))}, displays).isNull());
}

TEST(Capture, TimeZeroIsTheBeginAndEachSideIsSilentUntilItsSoundArrives)
{
    Rig rig;
    rig.begin({window(7, QRectF(0, 0, 1280, 720))});
    EXPECT_TRUE(rig.writer->settings.withVideo);

    // The first picture comes 0.2 s in and stands in from time 0. The microphone's first
    // sound comes 0.3 s in; the computer's sound arrives in step, silent for a second and
    // then loud, is placed at its own time, and runs on past the end (a monitor stamps
    // what its sink has yet to play).
    rig.picture->send(t0 + second / 5);
    rig.picture->send(t0 + second / 5 + second / 15);
    constexpr std::int64_t hostFirstNs = t0 + 3 * second / 10;
    for (int i = 0; i < 20; ++i) {
        if (i < 18) {
            rig.sound->send(Side::host, hostFirstNs + i * second / 10, tone(4800, 0.25f));
        }
        rig.sound->send(Side::guests, hostFirstNs + i * second / 10 + 1000, tone(4800, i < 10 ? 0.0f : 0.5f));
    }
    const CaptureResult result = rig.end(t0 + 2 * second + second / 5);

    EXPECT_THAT(rig.writer->videoSec, testing::ElementsAre(0.0, testing::DoubleNear(0.2 + 1.0 / 15, 1e-9)));
    const std::vector<float> mix = rig.writer->mix();
    ASSERT_EQ(mix.size(), 14400u + 91200u);
    EXPECT_FLOAT_EQ(mix[14399], 0.0f);
    EXPECT_FLOAT_EQ(mix[14400], 0.25f);         // the host alone for a second
    EXPECT_FLOAT_EQ(mix[14400 + 48000], 0.75f); // then the guests join
    EXPECT_NEAR(result.durationSec, 2.2, 1e-5);
    EXPECT_EQ(rig.writer->finishes, 1);
    EXPECT_EQ(rig.sound->stops, 1);
}

TEST(Capture, PicturesStartTheFileTooAndEarlierOnesAreDropped)
{
    Rig rig;
    rig.begin({window(7, QRectF(0, 0, 1280, 720))});
    EXPECT_EQ(rig.writer->settings.frameSize, QSize(1280, 720));
    rig.picture->send(t0);
    rig.sound->send(Side::host, t0 - second / 2, tone(4800, 0.1f)); // before time 0: dropped
    rig.picture->send(t0 - 1);                                       // before time 0: dropped
    rig.picture->send(t0 + second / 15);
    rig.sound->send(Side::host, t0 + second, tone(4800, 0.1f));
    const CaptureResult result = rig.end();

    EXPECT_THAT(rig.writer->videoSec, testing::ElementsAre(0.0, testing::DoubleNear(1.0 / 15, 1e-9)));
    EXPECT_NEAR(result.durationSec, 1.1, 1e-9);
    const std::vector<float> mix = rig.writer->mix();
    ASSERT_EQ(mix.size(), 48000u + 4800u);
    EXPECT_FLOAT_EQ(mix[100], 0.0f);
    EXPECT_FLOAT_EQ(mix[48000], 0.1f);
}

TEST(Capture, EndingTwiceReportsTheSameAndLeavesTheFileAlone)
{
    Rig rig(false); // sound only: no picture source at all
    rig.begin({display(1, QRectF(0, 0, 1920, 1080))});
    EXPECT_FALSE(rig.writer->settings.withVideo);
    // Two seconds of speech on the host side make one turn.
    for (int i = 0; i < 100; ++i) {
        rig.sound->send(Side::host, t0 + i * second / 50, tone(960, 0.3f));
        rig.sound->send(Side::guests, t0 + i * second / 50, tone(960, 0.0f));
    }
    const CaptureResult first = rig.end();
    const CaptureResult again = rig.end();
    ASSERT_EQ(first.turns.size(), 1u);
    EXPECT_EQ(first.turns[0].who, Side::host);
    EXPECT_EQ(first.turns, again.turns);
    EXPECT_EQ(first.durationSec, again.durationSec);
    EXPECT_EQ(rig.writer->finishes, 1);
    // Nothing delivered after the end is written.
    const std::size_t written = rig.writer->mix().size();
    rig.sound->send(Side::host, t0 + 3 * second, tone(960, 0.3f));
    rig.end();
    EXPECT_EQ(rig.writer->mix().size(), written);
}

TEST(Capture, AWriterFailureIsLoggedOnceWithItsTimeAndEndStillReports)
{
    Rig rig(false);
    rig.writer->failAtSample = std::int64_t(12.7 * 48000);
    rig.begin({display(1, QRectF(0, 0, 1920, 1080))});
    const int before = linesInLog("writer failed after ");
    for (int i = 0; i < 150; ++i) { // 15 s in 0.1-s buffers on both sides
        rig.sound->send(Side::host, t0 + i * second / 10, tone(4800, 0.1f));
        rig.sound->send(Side::guests, t0 + i * second / 10, tone(4800, 0.1f));
    }
    const CaptureResult result = rig.end();
    EXPECT_EQ(linesInLog("writer failed after "), before + 1);
    EXPECT_EQ(linesInLog("writer failed after 12 s: No space left on device"), 1);
    EXPECT_EQ(rig.writer->finishes, 0); // a failed file is not finished
    EXPECT_GT(result.durationSec, 12.0);
}

TEST(Capture, AimSwitchesOnlyToSomethingNewAndDropsTheCropForADisplay)
{
    Rig rig;
    rig.capture->displays = {display(1, QRectF(0, 0, 1920, 1080))};
    const CaptureTarget browser{window(5, QRectF(0, 0, 1200, 800), "com.google.Chrome")};
    rig.begin(browser);
    rig.capture->aim(browser, std::nullopt);
    EXPECT_EQ(rig.picture->aims.size(), 1u);
    rig.capture->aim({display(1, QRectF(0, 0, 1920, 1080))}, std::nullopt);
    ASSERT_EQ(rig.picture->aims.size(), 2u);
    EXPECT_EQ(rig.picture->aims[1], (Aimed{Aimed::Kind::display, 1}));
    EXPECT_EQ(rig.picture->sourceRects[0], QRectF(0, 80, 1200, 720));
    EXPECT_TRUE(rig.picture->sourceRects[1].isNull());
    EXPECT_EQ(rig.capture->aimed(), (Aimed{Aimed::Kind::display, 1}));
    rig.end();
}

TEST(Capture, ABrokenSourceIsReportedOnce)
{
    Rig rig;
    std::atomic<int> broken = 0;
    rig.capture->onBroken = [&] { ++broken; };
    rig.begin({window(7, QRectF(0, 0, 1280, 720))});
    rig.sound->callbacks.broken();
    rig.picture->callbacks.broken();
    rig.end();
    EXPECT_EQ(broken, 1);
}

// Whatever fails, begin throws with the writer closed (its owner deletes the file next)
// and with the sound stopped again if it had started.
TEST(Capture, ABadStartThrowsAndClosesTheWriter)
{
    struct Case {
        const char *name;
        bool soundFails; // or else the picture, which is the screen's fault
        int soundStops;
    };
    const Case cases[] = {{"sound", true, 0}, {"picture", false, 1}};
    for (const Case &c : cases) {
        Rig rig;
        (c.soundFails ? rig.sound->failure : rig.picture->failure) = QStringLiteral("cannot start");
        const std::optional<CaptureError> error =
            thrownBy<CaptureError>(rig.capture->begin({window(7, QRectF(0, 0, 1280, 720))}, std::nullopt));
        ASSERT_TRUE(error) << c.name;
        EXPECT_EQ(error->fromScreen(), !c.soundFails) << c.name;
        EXPECT_EQ(rig.sound->stops, c.soundStops) << c.name;
        EXPECT_EQ(rig.writer->finishes, 1) << c.name;
    }
}
