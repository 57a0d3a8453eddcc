#pragma once

#include "calls/AudioProcessSource.h"
#include "identity/ProcessFacts.h"

#include <QFuture>

#include <chrono>
#include <memory>
#include <string>

namespace murva {

class PulseConnection;
class PulseStreamListing;

// The programs using sound, from a PulseAudio-compatible sound server: uncorked record
// streams are running input, uncorked playback streams running output.
//
// Keeps one connection, with its own loop thread, across polls, and opens a new one at
// the next poll after the server went away or stopped answering. A poll suspends while
// the loop thread lists the streams and looks their programs up; it gives nothing when
// the server has not answered within `kAnswerWait`. Used on one thread (the main thread).
class PulseAudioProcesses final : public AudioProcessSource {
public:
    static constexpr std::chrono::milliseconds kAnswerWait{500};

    // `serverAddress` as libpulse takes it ("unix:/path"); empty for the user's default
    // server. `ownProcessID` and `procRoot` are this process and the real /proc, except
    // in tests.
    explicit PulseAudioProcesses(std::string serverAddress = {}, qint64 ownProcessID = currentProcessID(),
                                 QString procRoot = kProcRoot);
    ~PulseAudioProcesses() override;

    PulseAudioProcesses(const PulseAudioProcesses &) = delete;
    PulseAudioProcesses &operator=(const PulseAudioProcesses &) = delete;

    // Polls that come while one runs share its answer.
    QCoro::Task<std::vector<AudioProcess>> processes() override;

private:
    using Listing = QFuture<std::vector<AudioProcess>>;

    static qint64 currentProcessID();
    void keepUsableConnection();
    bool isUnusable();
    Listing startListing();

    std::string serverAddress_;
    qint64 ownProcessID_;
    QString procRoot_;
    std::unique_ptr<PulseConnection> connection_;
    // Lock held: set on the loop thread when the connection failed to list.
    bool stoppedAnswering_ = false;
    PulseStreamListing *running_ = nullptr; // lock held
    Listing listing_;
};

} // namespace murva
