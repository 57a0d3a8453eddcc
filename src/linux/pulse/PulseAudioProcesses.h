#pragma once

#include "calls/AudioProcessSource.h"
#include "identity/ProcessFacts.h"

#include <chrono>
#include <memory>
#include <string>

namespace murva {

class PulseConnection;

// The programs using sound, from a PulseAudio-compatible sound server: uncorked record
// streams are running input, uncorked playback streams running output.
//
// Keeps one connection, with its own loop thread, across polls, and opens a new one at
// the next poll after the server went away. Used on one thread (the main thread); each
// poll waits for the server at most `kAnswerWait`, and a server that accepted but never
// answered is not waited for again until it does.
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

    std::vector<AudioProcess> processes() override;

private:
    static qint64 currentProcessID();
    bool haveReadyConnection(std::chrono::steady_clock::time_point deadline);

    std::string serverAddress_;
    qint64 ownProcessID_;
    QString procRoot_;
    std::unique_ptr<PulseConnection> connection_;
};

} // namespace murva
