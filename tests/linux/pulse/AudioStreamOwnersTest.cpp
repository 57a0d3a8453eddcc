#include "pulse/AudioStreamOwners.h"
#include "support/Files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace murva {

void PrintTo(const AudioProcess &process, std::ostream *out)
{
    *out << "pid " << process.processID << " \"" << process.bundleIdentifier.toStdString() << "\" input "
         << process.isRunningInput << " output " << process.isRunningOutput;
}

namespace {

PulseStreamFacts stream(bool isRecording, bool isCorked, const QString &processID, const QString &applicationID,
                        const QString &processBinary = {})
{
    return {isRecording, isCorked, processID, applicationID, processBinary};
}

// A /proc of a few processes: each has a folder, some a command name or a Flatpak scope.
class FakeProc {
public:
    void addProcess(qint64 pid, const QByteArray &command = {}, const QByteArray &cgroup = {})
    {
        const QString folder = root() + '/' + QString::number(pid);
        test::writeFile(folder + "/comm", command + '\n');
        test::writeFile(folder + "/cgroup", cgroup);
    }
    QString root() const { return folder_.path(); }

private:
    QTemporaryDir folder_;
};

constexpr qint64 kOwnPid = 100;

} // namespace

TEST(AudioStreamOwners, OneEntryPerProgramWithWhatItsRunningStreamsDo)
{
    FakeProc proc;
    proc.addProcess(200, "firefox-bin");
    proc.addProcess(300, "launcher");
    proc.addProcess(400, "bwrap", "0::/user.slice/user-1000.slice/app-flatpak-com.slack.Slack-4242.scope\n");
    const std::vector<PulseStreamFacts> streams{
        stream(true, false, "200", ""),                 // the microphone, named by /proc
        stream(false, true, "200", ""),                 // a paused player
        stream(false, false, "300", "", "ZoomLauncher"), // named by the stream's binary
        stream(false, true, "400", ""),                 // a Flatpak, not running anything
        stream(false, false, "200", ""),
    };
    const std::vector<AudioProcess> expected{
        {200, "org.mozilla.firefox", true, true},
        {300, "us.zoom.xos", false, true},
        {400, "com.tinyspeck.slackmacgap", false, false},
    };
    EXPECT_EQ(audioProcessesOf(streams, kOwnPid, proc.root()), expected);
}

TEST(AudioStreamOwners, LeavesOutStreamsThatCannotBePinnedOnALiveKnownProgram)
{
    FakeProc proc;
    proc.addProcess(kOwnPid, "murva-recorder");
    proc.addProcess(500, "mpv");
    const std::vector<PulseStreamFacts> streams{
        stream(true, false, "", "us.zoom.xos"),          // an internal stream of the server
        stream(true, false, "zoom", "us.zoom.xos"),
        stream(true, false, "-7", "us.zoom.xos"),
        stream(true, false, "0", "us.zoom.xos"),
        stream(true, false, "100", "us.zoom.xos"),        // the recorder itself
        stream(true, false, "600", "us.zoom.xos"),        // ended before it was looked up
        stream(true, false, "500", "", "mpv"),            // neither a calling app nor a browser
        stream(true, false, "500", "player", "mpv"),      // an id without a dot names nothing
    };
    EXPECT_EQ(audioProcessesOf(streams, kOwnPid, proc.root()), std::vector<AudioProcess>());
}

} // namespace murva
