#include "SoundTestSupport.h"

#include "pulse/PulseSoundCapture.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <memory>

namespace murva {
namespace {

using test::kNsPerSec;
using test::monotonicNowNs;
using test::secondsBetween;
using test::waitFor;

// The loud part of the played tone: it began no earlier than the player started plus
// the lead, and no later than the player ended minus what followed it.
void expectToneAt(std::optional<std::int64_t> heardNs, const test::PlayWindow &played)
{
    constexpr double toleranceSec = 0.1;
    ASSERT_TRUE(heardNs.has_value());
    const std::int64_t earliestNs = played.beforeNs + std::int64_t(test::kToneLeadSec * kNsPerSec);
    const std::int64_t latestNs = played.afterNs - std::int64_t((test::kToneSec + test::kToneTailSec) * kNsPerSec);
    EXPECT_GT(secondsBetween(earliestNs, *heardNs), -toleranceSec);
    EXPECT_LT(secondsBetween(latestNs, *heardNs), toleranceSec);
}

double medianOf(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The stamps agree with the sample count: nothing drifts. A busy machine delays a few
// reads and their stamps, so the drift is read between the medians of the first and
// last quarters.
void expectStampsFollowTheSamples(const std::vector<SoundBuffer> &buffers, std::int64_t fromNs)
{
    std::int64_t samplesBefore = 0;
    std::vector<double> offsetsSec;
    for (const SoundBuffer &buffer : buffers) {
        if (buffer.monotonicNs < fromNs)
            continue;
        offsetsSec.push_back(secondsBetween(samplesBefore * kNsPerSec / 48000, buffer.monotonicNs));
        samplesBefore += std::int64_t(buffer.samples.size());
    }
    ASSERT_GT(offsetsSec.size(), 20u);
    const std::size_t quarter = offsetsSec.size() / 4;
    const double driftSec = medianOf(std::vector<double>(offsetsSec.end() - quarter, offsetsSec.end()))
        - medianOf(std::vector<double>(offsetsSec.begin(), offsetsSec.begin() + quarter));
    EXPECT_LT(std::abs(driftSec), 0.02);
}

TEST(PulseSoundCapture, EachSideHearsItsOwnSoundWhenItIsPlayed)
{
    const QString tone = test::toneFile();
    ASSERT_FALSE(tone.isEmpty());

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
    expectToneAt(test::firstLoudNs(host), intoMicrophone);
    expectToneAt(test::firstLoudNs(guests), intoSpeakers);
    // Neither side hears the other's sound.
    EXPECT_LT(test::lastLoudNs(host).value_or(0), intoSpeakers.beforeNs);
    EXPECT_GT(test::firstLoudNs(guests).value_or(0), intoMicrophone.afterNs);
    expectStampsFollowTheSamples(host, settledNs);
    expectStampsFollowTheSamples(guests, settledNs);
}

// Started again after a stop that came at once, before its streams ran.
TEST(PulseSoundCapture, ItsStreamsCarryTheRecordersIdentityUntilStopped)
{
    test::SoundLog first;
    test::SoundLog log;
    PulseSoundCapture capture;
    ASSERT_FALSE(capture.start(first.callbacks()).has_value());
    capture.stop();
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
    PulseSoundCapture capture(server.address().toStdString());
    const auto error = capture.start(log.callbacks());
    ASSERT_FALSE(error.has_value()) << error->toStdString();
    QThread::msleep(100);

    server.kill();
    ASSERT_TRUE(waitFor([&] { return log.brokenCount() > 0; }, 10));
    QThread::msleep(200);
    EXPECT_EQ(log.brokenCount(), 1);
    capture.stop();
    capture.stop();
}

// A program recording `source` with low latency while it lives.
struct ListenerProcess : QProcess {
    ListenerProcess(const QString &source, const QString &server)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PULSE_SERVER", server);
        setProcessEnvironment(environment);
        setStandardOutputFile(QProcess::nullDevice());
        start("pacat", {"--record", "--device=" + source, "--latency-msec=20"});
        waitForStarted(5000);
    }
    ~ListenerProcess() override { kill(); waitForFinished(5000); }
};

// The largest hole between one buffer's end and the next one's start, after `fromNs`.
double largestHoleSec(const std::vector<SoundBuffer> &buffers, std::int64_t fromNs)
{
    double largest = 0;
    for (std::size_t i = 1; i < buffers.size(); ++i) {
        const SoundBuffer &before = buffers[i - 1];
        if (before.monotonicNs < fromNs)
            continue;
        const std::int64_t endNs = before.monotonicNs + std::int64_t(before.samples.size()) * kNsPerSec / 48000;
        largest = std::max(largest, secondsBetween(endNs, buffers[i].monotonicNs));
    }
    return largest;
}

// A headset plugged in mid-call: the computer's sound follows the new default output
// without a break, the microphone the new default input, and neither hears the other.
TEST(PulseSoundCapture, FollowsNewDefaultDevicesWhileRecording)
{
    const QString tone = test::toneFile();
    ASSERT_FALSE(tone.isEmpty());
    test::PrivateSoundServer server;
    ASSERT_TRUE(server.isRunning());
    test::SoundLog log;
    PulseSoundCapture capture(server.address().toStdString());
    ASSERT_FALSE(capture.start(log.callbacks()).has_value());
    ASSERT_TRUE(waitFor([&] { return !log.buffers(Side::host).empty() && !log.buffers(Side::guests).empty(); }, 4.0));

    // The new devices are in use already, as a call program's would be. An idle null
    // sink only notices a new listener at the end of its two-second block, and that
    // delay is the server's, not the capture's.
    const QString address = server.address();
    ASSERT_TRUE(server.control({"load-module", "module-null-sink", "sink_name=headphones"}));
    ASSERT_TRUE(server.control({"load-module", "module-null-sink", "sink_name=headsetfeed"}));
    ASSERT_TRUE(server.control(
        {"load-module", "module-remap-source", "source_name=headset", "master=headsetfeed.monitor"}));
    const ListenerProcess headphonesInUse("headphones.monitor", address);
    const ListenerProcess headsetInUse("headset", address);
    ASSERT_TRUE(waitFor([&] { return test::sinkLatencySec("headphones", address).value_or(1) < 0.1
                                   && test::sinkLatencySec("headsetfeed", address).value_or(1) < 0.1; },
                        4.0));

    const std::int64_t switchedNs = monotonicNowNs();
    ASSERT_TRUE(server.control({"set-default-sink", "headphones"}));
    ASSERT_TRUE(server.control({"set-default-source", "headset"}));
    QThread::msleep(1000); // the time a switch may take
    const test::PlayWindow intoHeadset = test::playInto("headsetfeed", tone, server.address());
    const test::PlayWindow intoHeadphones = test::playInto("headphones", tone, server.address());
    QThread::msleep(300);
    capture.stop();
    ASSERT_TRUE(intoHeadset.played && intoHeadphones.played);

    const auto host = log.buffers(Side::host);
    const auto guests = log.buffers(Side::guests);
    const std::optional<std::int64_t> hostHeardNs = test::firstLoudNs(host);
    const std::optional<std::int64_t> guestsHeardNs = test::firstLoudNs(guests);
    ASSERT_TRUE(hostHeardNs && guestsHeardNs);
    EXPECT_GT(*hostHeardNs, intoHeadset.beforeNs);
    EXPECT_LT(test::lastLoudNs(host).value_or(0), intoHeadphones.beforeNs);
    EXPECT_GT(*guestsHeardNs, intoHeadset.afterNs);
    const double guestsHoleSec = largestHoleSec(guests, switchedNs);
    const double hostHoleSec = largestHoleSec(host, switchedNs);
    EXPECT_LT(guestsHoleSec, 0.5);
    EXPECT_LT(hostHoleSec, 0.5);
    EXPECT_EQ(log.brokenCount(), 0);
}

// Were the stream let go to the default source, the microphone would be recorded as the
// guests. Without any device a side records nothing, and the recording goes on until
// new devices come.
TEST(PulseSoundCapture, OutlivesItsDevicesAndTakesUpNewOnes)
{
    const QString tone = test::toneFile();
    ASSERT_FALSE(tone.isEmpty());
    test::PrivateSoundServer server;
    ASSERT_TRUE(server.isRunning());
    test::SoundLog log;
    PulseSoundCapture capture(server.address().toStdString());
    ASSERT_FALSE(capture.start(log.callbacks()).has_value());

    ASSERT_TRUE(server.removeSpeakers());
    ASSERT_TRUE(server.control({"unload-module", "module-remap-source"}));
    ASSERT_TRUE(server.control({"unload-module", "module-null-sink"}));
    QThread::msleep(300);
    EXPECT_EQ(log.brokenCount(), 0);

    const std::int64_t addedNs = monotonicNowNs();
    ASSERT_TRUE(server.control({"load-module", "module-null-sink", "sink_name=headphones"}));
    ASSERT_TRUE(server.control({"set-default-sink", "headphones"}));
    ASSERT_TRUE(server.addMicrophone("headset"));
    const auto heardSinceAdded = [&](Side side) {
        const auto buffers = log.buffers(side);
        return !buffers.empty() && buffers.back().monotonicNs > addedNs;
    };
    ASSERT_TRUE(waitFor([&] { return heardSinceAdded(Side::host) && heardSinceAdded(Side::guests); }, 4.0));
    const test::PlayWindow intoHeadphones = test::playInto("headphones", tone, server.address());
    QThread::msleep(200);
    capture.stop();
    ASSERT_TRUE(intoHeadphones.played);
    EXPECT_GT(test::firstLoudNs(log.buffers(Side::guests)).value_or(0), intoHeadphones.beforeNs);
    EXPECT_FALSE(test::firstLoudNs(log.buffers(Side::host)).has_value());
    EXPECT_EQ(log.brokenCount(), 0);
}

TEST(PulseSoundCapture, MayBeDestroyedFromItsOwnBrokenCallback)
{
    test::PrivateSoundServer server;
    ASSERT_TRUE(server.isRunning());
    auto capture = std::make_unique<PulseSoundCapture>(server.address().toStdString());
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

} // namespace
} // namespace murva
