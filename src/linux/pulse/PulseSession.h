#pragma once

#include "capture/SoundCapture.h"
#include "pulse/PulseConnection.h"
#include "pulse/RecordStream.h"

#include <memory>
#include <optional>
#include <string>

namespace murva {

// One run of both record streams, from start to stop, with its own loop thread.
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
    void reportBroken();

    SoundCapture::Callbacks callbacks_;
    PulseConnection connection_;
    std::unique_ptr<RecordStream> host_;
    std::unique_ptr<RecordStream> guests_;
    // Guarded by the loop lock.
    bool running_ = false;
    bool silenced_ = false;
    bool brokenReported_ = false;
};

} // namespace murva
