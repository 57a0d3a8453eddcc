// The sound adapters when the server is missing, or takes the connection and never says
// a word (stopped, or hung): they give up with nothing, and never hold the caller up.
#include "SoundTestSupport.h"

#include "pulse/PulseAudioProcesses.h"
#include "pulse/PulseSoundCapture.h"
#include "support/AwaitTask.h"

#include <QLocalServer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace murva {
namespace {

constexpr auto noServer = "unix:/nonexistent/murva-no-sound-server";

// A socket that takes connections and never answers.
class MuteServer {
public:
    MuteServer() { listening_ = server_.listen(folder_.path() + "/native"); }
    bool listening() const { return listening_; }
    std::string address() const { return ("unix:" + folder_.path() + "/native").toStdString(); }

private:
    QTemporaryDir folder_;
    QLocalServer server_;
    bool listening_ = false;
};

TEST(PulseSoundCaptureWithoutServer, AMissingServerFailsTheStartAndStaysQuiet)
{
    test::SoundLog log;
    PulseSoundCapture capture(noServer);
    const auto error = capture.start(log.callbacks());
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(error->isEmpty());

    capture.stop();
    capture.stop();
    EXPECT_EQ(log.deliveredCount(), 0);
    EXPECT_EQ(log.brokenCount(), 0);
}

TEST(PulseSoundCaptureWithoutServer, GivesUpOnAServerThatNeverAnswers)
{
    const MuteServer mute;
    ASSERT_TRUE(mute.listening());
    test::SoundLog log;
    PulseSoundCapture capture(mute.address());
    EXPECT_TRUE(capture.start(log.callbacks()).has_value());
    EXPECT_EQ(log.brokenCount(), 0);
}

TEST(PulseAudioProcessesWithoutServer, AMissingServerGivesNothing)
{
    PulseAudioProcesses processes(noServer);
    for (int poll = 0; poll < 3; ++poll) {
        EXPECT_TRUE(test::await(processes.processes()).empty());
    }
}

// The event loop runs on meanwhile, and polls that come together share one wait.
TEST(PulseAudioProcessesWithoutServer, AMuteServerNeverHoldsUpTheEventLoop)
{
    const MuteServer mute;
    ASSERT_TRUE(mute.listening());
    PulseAudioProcesses processes(mute.address());

    for (int round = 0; round < 2; ++round) {
        int turns = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++turns; });
        ticker.start(5);
        QCoro::Task<std::vector<AudioProcess>> first = processes.processes();
        QCoro::Task<std::vector<AudioProcess>> second = processes.processes();
        EXPECT_TRUE(test::await(std::move(first)).empty()) << round;
        EXPECT_TRUE(test::await(std::move(second)).empty()) << round;
        EXPECT_GT(turns, 0) << round;
    }
}

} // namespace
} // namespace murva
