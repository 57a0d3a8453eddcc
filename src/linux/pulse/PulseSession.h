#pragma once

#include "capture/SoundCapture.h"
#include "pulse/DefaultDevices.h"
#include "pulse/PulseConnection.h"
#include "pulse/RecordStream.h"

#include <memory>
#include <optional>
#include <string>

namespace murva {

// One run of both record streams, from start to stop, with its own loop thread.
//
// The streams follow the default devices while they run. The server itself moves the
// microphone's stream to a new default source. The computer's sound is pinned to the
// monitor of the default sink: the session moves it there whenever the default sink
// changes, and passes on nothing it records elsewhere, so that it never carries the
// microphone. A stream whose device went away is opened again once there is a default
// device for it; until then its side is silent, and the recording goes on.
class PulseSession {
public:
    explicit PulseSession(SoundCapture::Callbacks callbacks);
    // Joins the loop thread, then frees the streams and the context. Must not run on
    // the loop thread.
    ~PulseSession();

    PulseSession(const PulseSession &) = delete;
    PulseSession &operator=(const PulseSession &) = delete;

    // Connects and waits until both streams run. An error text otherwise; the session
    // is then only fit to be destroyed.
    std::optional<QString> open(const std::string &server, PulseConnection::Deadline deadline);

    // From now on no callback is passed on. Waits for one in progress on another
    // thread; on the loop thread the current one simply finishes.
    void silence();

    bool inLoopThread() const { return connection_.inLoopThread(); }

private:
    std::optional<QString> connectStreams(const std::string &monitor, PulseConnection::Deadline deadline);
    RecordStream::Events eventsFor();
    void follow(const DefaultDevices::Defaults &defaults);
    void keepOn(std::unique_ptr<RecordStream> &stream, Side side, const std::string &device);
    void reportBroken();

    SoundCapture::Callbacks callbacks_;
    PulseConnection connection_;
    std::unique_ptr<RecordStream> host_;
    std::unique_ptr<RecordStream> guests_;
    std::unique_ptr<DefaultDevices> defaults_;
    // Guarded by the loop lock.
    bool running_ = false;
    bool silenced_ = false;
    bool brokenReported_ = false;
};

} // namespace murva
