#include "SoundTestSupport.h"

#include "pulse/PulseSoundCapture.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <memory>

namespace murva {
namespace {

using test::monotonicNowNs;

constexpr std::int64_t nsPerSec = 1'000'000'000;

double secondsBetween(std::int64_t fromNs, std::int64_t toNs)
{
    return double(toNs - fromNs) / nsPerSec;
}

// Waits up to `limitSec` for `done`.
template <typename Done>
bool waitFor(Done done, double limitSec)
{
    const std::int64_t until = monotonicNowNs() + std::int64_t(limitSec * nsPerSec);
    while (!done()) {
        if (monotonicNowNs() > until)
            return false;
        QThread::msleep(20);
    }
    return true;
}

// The loud part of a played file: it began no earlier than the player started plus
// the lead, and no later than the player ended minus what followed it.
void expectToneAt(std::optional<std::int64_t> heardNs, const test::PlayWindow &played, double leadSec,
                  double restSec)
{
    constexpr double toleranceSec = 0.1;
    ASSERT_TRUE(heardNs.has_value());
    const std::int64_t earliestNs = played.beforeNs + std::int64_t(leadSec * nsPerSec);
    const std::int64_t latestNs = played.afterNs - std::int64_t(restSec * nsPerSec);
    EXPECT_GT(secondsBetween(earliestNs, *heardNs), -toleranceSec);
    EXPECT_LT(secondsBetween(latestNs, *heardNs), toleranceSec);
}

// The stamps agree with the sample count: each block starts where the blocks before it
// end, give or take the jitter of when the pieces arrive, and nothing drifts.
void expectStampsFollowTheSamples(const std::vector<SoundBuffer> &buffers, std::int64_t fromNs)
{
    std::int64_t samplesBefore = 0;
    std::vector<double> offsetsSec;
    for (const SoundBuffer &buffer : buffers) {
        if (buffer.monotonicNs < fromNs)
            continue;
        offsetsSec.push_back(secondsBetween(samplesBefore * nsPerSec / 48000, buffer.monotonicNs));
        samplesBefore += std::int64_t(buffer.samples.size());
    }
    ASSERT_GT(offsetsSec.size(), 20u);
    const auto [lowest, highest] = std::minmax_element(offsetsSec.begin(), offsetsSec.end());
    EXPECT_LT(*highest - *lowest, 0.05);
}

TEST(PulseSoundCapture, EachSideHearsItsOwnSoundWhenItIsPlayed)
{
    QTemporaryDir folder;
    const QString tone = folder.path() + "/tone.wav";
    constexpr double leadSec = 0.3, toneSec = 0.5, tailSec = 0.2;
    ASSERT_TRUE(test::writeToneFile(tone, leadSec, toneSec, tailSec));

    test::SoundLog log;
    PulseSoundCapture capture;
    const auto error = capture.start(log.callbacks());
    ASSERT_FALSE(error.has_value()) << error->toStdString();
    // An idle null sink runs up to two seconds ahead; once our streams ask for low
    // latency it takes that long to come back. Until then a player's end says little
    // about when its sound was played.
    ASSERT_TRUE(waitFor([] { return test::sinkLatencySec("micfeed").value_or(1) < 0.1
                                   && test::sinkLatencySec("speakers").value_or(1) < 0.1; },
                        3.0));
    const std::int64_t settledNs = monotonicNowNs();
    const test::PlayWindow intoMicrophone = test::playInto("micfeed", tone);
    QThread::msleep(300);
    const test::PlayWindow intoSpeakers = test::playInto("speakers", tone);
    QThread::msleep(300);
    capture.stop();
    ASSERT_TRUE(intoMicrophone.played && intoSpeakers.played);

    const auto host = log.buffers(Side::host);
    const auto guests = log.buffers(Side::guests);
    expectToneAt(test::firstLoudNs(host), intoMicrophone, leadSec, toneSec + tailSec);
    expectToneAt(test::firstLoudNs(guests), intoSpeakers, leadSec, toneSec + tailSec);
    // Neither side hears the other's sound.
    EXPECT_LT(test::lastLoudNs(host).value_or(0), intoSpeakers.beforeNs);
    EXPECT_GT(test::firstLoudNs(guests).value_or(0), intoMicrophone.afterNs);
    expectStampsFollowTheSamples(host, settledNs);
    expectStampsFollowTheSamples(guests, settledNs);
}

TEST(PulseSoundCapture, ItsStreamsCarryTheRecordersIdentityUntilStopped)
{
    test::SoundLog log;
    PulseSoundCapture capture;
    ASSERT_FALSE(capture.start(log.callbacks()).has_value());
    // The fixture's idle null sinks may hold sound back for up to two seconds.
    ASSERT_TRUE(waitFor([&] { return log.deliveredCount() > 2; }, 4.0));

    const auto outputs = test::ownSourceOutputs();
    ASSERT_EQ(outputs.size(), 2u);
    for (const auto &properties : outputs) {
        EXPECT_EQ(properties.at("application.id"), "dev.murva.recorder");
        EXPECT_EQ(properties.at("application.name"), "Murva Recorder");
        EXPECT_FALSE(properties.at("media.name").isEmpty());
    }

    capture.stop();
    const int deliveredAtStop = log.deliveredCount();
    EXPECT_TRUE(test::ownSourceOutputs().empty());
    QThread::msleep(200);
    EXPECT_EQ(log.deliveredCount(), deliveredAtStop);
    EXPECT_EQ(log.brokenCount(), 0);
}

TEST(PulseSoundCapture, ReportsBrokenOnceWhenTheServerDies)
{
    test::PrivateSoundServer server;
    ASSERT_TRUE(server.isRunning());
    test::SoundLog log;
    PulseSoundCapture capture(server.address());
    const auto error = capture.start(log.callbacks());
    ASSERT_FALSE(error.has_value()) << error->toStdString();
    QThread::msleep(100);

    const std::int64_t killedNs = monotonicNowNs();
    server.kill();
    ASSERT_TRUE(waitFor([&] { return log.brokenCount() > 0; }, 3.0));
    EXPECT_LT(secondsBetween(killedNs, log.brokenAtNs()), 2.0);
    QThread::msleep(200);
    EXPECT_EQ(log.brokenCount(), 1);
    capture.stop();
    capture.stop();
}

// Were the stream let go to the default source, the microphone would be recorded as
// the guests without a word.
TEST(PulseSoundCapture, ReportsBrokenWhenTheComputersSoundGoesAway)
{
    test::PrivateSoundServer server;
    ASSERT_TRUE(server.isRunning());
    test::SoundLog log;
    auto capture = std::make_unique<PulseSoundCapture>(server.address());
    ASSERT_FALSE(capture->start(log.callbacks()).has_value());

    ASSERT_TRUE(server.removeSpeakers());
    EXPECT_TRUE(waitFor([&] { return log.brokenCount() > 0; }, 2.0));
    QThread::msleep(100);
    EXPECT_EQ(log.brokenCount(), 1);

    // Destroyed without stop, it leaves nothing behind on the server.
    const QString address = QString::fromStdString(server.address());
    EXPECT_EQ(test::ownSourceOutputs(address).size(), 1u);
    capture.reset();
    EXPECT_TRUE(test::ownSourceOutputs(address).empty());
}

TEST(PulseSoundCapture, MayBeDestroyedFromItsOwnBrokenCallback)
{
    test::PrivateSoundServer server;
    ASSERT_TRUE(server.isRunning());
    auto capture = std::make_unique<PulseSoundCapture>(server.address());
    std::atomic<bool> destroyed = false;
    SoundCapture::Callbacks callbacks;
    callbacks.broken = [&] {
        capture.reset();
        destroyed = true;
    };
    ASSERT_FALSE(capture->start(callbacks).has_value());

    server.kill();
    EXPECT_TRUE(waitFor([&] { return destroyed.load(); }, 3.0));
}

TEST(PulseSoundCapture, StartsAgainAfterStopping)
{
    test::SoundLog first;
    test::SoundLog second;
    PulseSoundCapture capture;
    ASSERT_FALSE(capture.start(first.callbacks()).has_value());
    capture.stop();
    ASSERT_FALSE(capture.start(second.callbacks()).has_value());
    EXPECT_TRUE(waitFor([&] { return second.deliveredCount() > 5; }, 4.0));
    EXPECT_EQ(test::ownSourceOutputs().size(), 2u);
}

} // namespace
} // namespace murva
