// The real Capture with the Linux adapters: what it writes and the turns it reports
// when people speak on either side, and how it ends when the sound server dies.

#include "ObservedPorts.h"
#include "SoundTestSupport.h"
#include "Speech.h"
#include "support/AwaitTask.h"
#include "support/TestMain.h"

#include "Adapters.h"
#include "capture/Capture.h"
#include "capture/TargetChoice.h"
#include "screen/ScreenAccess.h"

#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace murva {
namespace {

using test::monotonicNowNs;
using test::secondsBetween;
using test::waitFor;

std::int64_t secondsToNs(double seconds)
{
    return std::int64_t(seconds * test::kNsPerSec);
}

void sleepUntilNs(std::int64_t deadlineNs)
{
    for (std::int64_t leftNs = deadlineNs - monotonicNowNs(); leftNs > 0; leftNs = deadlineNs - monotonicNowNs()) {
        QThread::usleep(unsigned(std::min<std::int64_t>(leftNs / 1000, 50'000)));
    }
}

std::string describe(const std::vector<Turn> &turns)
{
    std::string text;
    for (const Turn &turn : turns) {
        text += rawValue(turn.who).toStdString() + " " + std::to_string(turn.from) + "-" + std::to_string(turn.to) + "; ";
    }
    return text.empty() ? "no turns" : text;
}

// Turns are rounded to a tenth of a second and the segmenter needs a few frames to
// hear speech; 0.3 s is what a listener would still call "at the same time".
void expectTurnStartingAt(const std::vector<Turn> &turns, Side who, double expectedSec)
{
    constexpr double toleranceSec = 0.3;
    const bool found = std::any_of(turns.begin(), turns.end(), [&](const Turn &turn) {
        return turn.who == who && std::abs(turn.from - expectedSec) <= toleranceSec;
    });
    EXPECT_TRUE(found) << "no " << rawValue(who).toStdString() << " turn from about " << expectedSec << " s: "
                       << describe(turns);
}

class CaptureSystemTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Adapters::install(); }

    void SetUp() override
    {
        ASSERT_TRUE(test::hasDesktopSession());
        ASSERT_FALSE(test::speechFile().isEmpty()) << "espeak-ng is needed";
    }

    QString path() const { return folder_.filePath(QStringLiteral("recording.mp4")); }

private:
    QTemporaryDir folder_;
};

TEST_F(CaptureSystemTest, EachSidesSpeechBecomesItsTurnInAFileOfSoundAndPicture)
{
    test::CaptureObserver observer;
    Capture capture(path(), true, observer.observe(Adapters::capturePorts(true)));
    const auto screen = std::make_shared<ScreenAccess>(Adapters::screenContent());
    const ChosenTarget chosen = test::await(targetFor(screen, noCall()));
    ASSERT_FALSE(chosen.target.isWindow());
    const std::int64_t beganNs = monotonicNowNs();
    test::await(capture.begin(chosen.target, chosen.own));

    // Well after the idle sinks of the fixture have caught up with the capture.
    sleepUntilNs(beganNs + secondsToNs(3.0));
    const test::PlayWindow host = test::playInto(QStringLiteral("micfeed"), test::speechFile());
    sleepUntilNs(host.afterNs + secondsToNs(0.5));
    const test::PlayWindow guests = test::playInto(QStringLiteral("speakers"), test::speechFile());
    sleepUntilNs(guests.afterNs + secondsToNs(0.8));
    const CaptureResult result = test::await(capture.end());
    const std::int64_t endedNs = monotonicNowNs();
    ASSERT_TRUE(host.played && guests.played);

    const std::optional<std::int64_t> timeZeroNs = capture.timeZeroNs();
    const std::optional<std::int64_t> hostHeardNs = observer.firstLoudNs(Side::host, host.beforeNs);
    const std::optional<std::int64_t> guestsHeardNs = observer.firstLoudNs(Side::guests, guests.beforeNs);
    ASSERT_TRUE(timeZeroNs && hostHeardNs && guestsHeardNs);
    // The turns begin where the speech was heard (that it was heard when it was played is
    // the sound capture's test), counted from the file's time 0.
    expectTurnStartingAt(result.turns, Side::host, secondsBetween(*timeZeroNs, *hostHeardNs));
    expectTurnStartingAt(result.turns, Side::guests, secondsBetween(*timeZeroNs, *guestsHeardNs));
    // The recording holds all that was played, and nothing after it was ended.
    EXPECT_GT(result.durationSec, secondsBetween(*timeZeroNs, guests.afterNs));
    EXPECT_LT(result.durationSec, secondsBetween(*timeZeroNs, endedNs));

    const std::optional<MediaFileInfo> file = Adapters::mediaInspector()->inspect(path());
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->tracks.size(), 2u);
    EXPECT_NEAR(file->durationSec, result.durationSec, 0.1);
    // The tracks' formats are the writer's, proven where it is tested.
    const auto picture = std::find_if(file->tracks.begin(), file->tracks.end(), [](const MediaTrackInfo &track) {
        return track.kind == MediaTrackInfo::Kind::video;
    });
    ASSERT_NE(picture, file->tracks.end());
    // The fixture's 1920×1080 display, scaled down to 1280 wide.
    EXPECT_EQ(picture->width, 1280);
    EXPECT_EQ(picture->height, 720);
}

// What is said right after the recording starts is kept, however long the devices take
// to deliver their first sound: the file starts when begin is called.
TEST_F(CaptureSystemTest, AWordSpokenJustAfterTheStartGetsItsTurn)
{
    test::CaptureObserver observer;
    Capture capture(path(), false, observer.observe(Adapters::capturePorts(false)));
    const std::int64_t beginNs = monotonicNowNs();
    const double leadSec = test::speechLeadSec();
    test::PlayWindow host;
    std::thread speaker([&] {
        sleepUntilNs(beginNs + secondsToNs(0.3 - leadSec));
        host = test::playInto(QStringLiteral("micfeed"), test::speechFile());
    });
    test::await(capture.begin(CaptureTarget{ShareableDisplay{}}, std::nullopt));
    speaker.join();
    sleepUntilNs(host.afterNs + secondsToNs(0.5));
    const CaptureResult result = test::await(capture.end());
    ASSERT_TRUE(host.played);

    // The file's time 0 is begin, and the word is where it was heard.
    const std::optional<std::int64_t> hostHeardNs = observer.firstLoudNs(Side::host, host.beforeNs);
    ASSERT_TRUE(hostHeardNs.has_value());
    expectTurnStartingAt(result.turns, Side::host, secondsBetween(beginNs, *hostHeardNs));
    EXPECT_GT(result.durationSec, secondsBetween(beginNs, host.afterNs));
    const std::optional<MediaFileInfo> file = Adapters::mediaInspector()->inspect(path());
    ASSERT_TRUE(file.has_value());
    EXPECT_NEAR(file->durationSec, result.durationSec, 0.1);
}

TEST_F(CaptureSystemTest, WhenTheSoundServerDiesTheOwnerIsToldAndTheFileIsStillFinished)
{
    test::PrivateSoundServer server;
    ASSERT_TRUE(server.isRunning());
    const test::ScopedEnv pulse("PULSE_SERVER", server.address().toUtf8());

    test::CaptureObserver observer;
    Capture capture(path(), false, observer.observe(Adapters::capturePorts(false)));
    std::atomic<int> brokenCount = 0;
    capture.onBroken = [&] { ++brokenCount; };
    test::await(capture.begin(CaptureTarget{ShareableDisplay{}}, std::nullopt));
    ASSERT_TRUE(waitFor([&] { return observer.soundBuffers(Side::host) > 0 && observer.soundBuffers(Side::guests) > 0; },
                        5.0));
    const test::PlayWindow host = test::playInto(QStringLiteral("micfeed"), test::speechFile());
    ASSERT_TRUE(host.played);
    QThread::msleep(300);

    server.kill();
    ASSERT_TRUE(waitFor([&] { return brokenCount > 0; }, 10));
    const CaptureResult result = test::await(capture.end());
    EXPECT_EQ(brokenCount, 1);

    const std::optional<std::int64_t> timeZeroNs = capture.timeZeroNs();
    ASSERT_TRUE(timeZeroNs.has_value());
    // Sound up to the server's end is kept, speech included.
    const std::optional<std::int64_t> hostHeardNs = observer.firstLoudNs(Side::host, host.beforeNs);
    ASSERT_TRUE(hostHeardNs.has_value());
    EXPECT_GT(result.durationSec, secondsBetween(*timeZeroNs, *hostHeardNs));
    expectTurnStartingAt(result.turns, Side::host, secondsBetween(*timeZeroNs, *hostHeardNs));

    const std::optional<MediaFileInfo> file = Adapters::mediaInspector()->inspect(path());
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->tracks.size(), 1u);
    EXPECT_NEAR(file->durationSec, result.durationSec, 0.1);
}

} // namespace
} // namespace murva
