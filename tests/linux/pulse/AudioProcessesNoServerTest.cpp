#include "pulse/PulseAudioProcesses.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace murva {
namespace {

constexpr qint64 kAnswerWaitMs = PulseAudioProcesses::kAnswerWait.count();

// Milliseconds one poll took; the list must be empty.
qint64 timedEmptyPoll(PulseAudioProcesses &processes)
{
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(processes.processes().empty());
    return timer.elapsed();
}

TEST(PulseAudioProcessesWithoutServer, AMissingServerGivesNothingAtOnce)
{
    PulseAudioProcesses processes("unix:/nonexistent/murva-no-sound-server");
    for (int poll = 0; poll < 3; ++poll) {
        EXPECT_LT(timedEmptyPoll(processes), 100);
    }
}

// A server that takes the connection and never says a word (stopped, or hung) costs
// one short wait, not one at every poll.
TEST(PulseAudioProcessesWithoutServer, WaitsForAMuteServerOnlyOnce)
{
    QTemporaryDir folder;
    QLocalServer mute;
    ASSERT_TRUE(mute.listen(folder.path() + "/native"));
    PulseAudioProcesses processes(("unix:" + folder.path() + "/native").toStdString());

    const qint64 firstMs = timedEmptyPoll(processes);
    EXPECT_GE(firstMs, kAnswerWaitMs - 50);
    EXPECT_LT(firstMs, kAnswerWaitMs + 300);
    for (int poll = 0; poll < 3; ++poll) {
        EXPECT_LT(timedEmptyPoll(processes), 50);
    }
}

} // namespace
} // namespace murva
