#include "pulse/PulseAudioProcesses.h"
#include "support/AwaitTask.h"

#include <QLocalServer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace murva {
namespace {

// Counts the turns of the event loop from its construction on.
class LoopTurns {
public:
    LoopTurns()
    {
        QObject::connect(&ticker_, &QTimer::timeout, [this] { ++count; });
        ticker_.start(5);
    }
    int count = 0;

private:
    QTimer ticker_;
};

TEST(PulseAudioProcessesWithoutServer, AMissingServerGivesNothing)
{
    PulseAudioProcesses processes("unix:/nonexistent/murva-no-sound-server");
    for (int poll = 0; poll < 3; ++poll) {
        EXPECT_TRUE(test::await(processes.processes()).empty());
    }
}

// A server that takes the connection and never says a word (stopped, or hung) gives
// nothing after the time limit; the event loop runs on meanwhile, and polls that come
// together share one wait.
TEST(PulseAudioProcessesWithoutServer, AMuteServerNeverHoldsUpTheEventLoop)
{
    QTemporaryDir folder;
    QLocalServer mute;
    ASSERT_TRUE(mute.listen(folder.path() + "/native"));
    PulseAudioProcesses processes(("unix:" + folder.path() + "/native").toStdString());

    for (int round = 0; round < 2; ++round) {
        LoopTurns turns;
        QCoro::Task<std::vector<AudioProcess>> first = processes.processes();
        QCoro::Task<std::vector<AudioProcess>> second = processes.processes();
        EXPECT_TRUE(test::await(std::move(first)).empty()) << round;
        EXPECT_TRUE(test::await(std::move(second)).empty()) << round;
        EXPECT_GT(turns.count, 0) << round;
    }
}

} // namespace
} // namespace murva
