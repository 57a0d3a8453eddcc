#pragma once

#include "capture/SoundCapture.h"

#include <memory>
#include <string>

namespace murva {

class PulseSession;

// The microphone (the default source) and the computer's sound (the monitor of the
// default sink) through a PulseAudio-compatible sound server, following the defaults
// while it runs.
//
// Threads: `deliver` and `broken` run on the adapter's sound thread with its lock
// held. A callback may call `stop` or destroy the capture, but must not wait for a
// thread that is itself inside `stop`. `broken` comes at most once per start, when
// the server goes away, and never after `stop`; a device that goes away only
// silences its side.
class PulseSoundCapture final : public SoundCapture {
public:
    static constexpr double startTimeoutSec = 5.0;

    // `serverAddress` as libpulse takes it ("unix:/path", "tcp:host"); empty for the
    // user's default server.
    explicit PulseSoundCapture(std::string serverAddress = {});
    ~PulseSoundCapture() override;

    PulseSoundCapture(const PulseSoundCapture &) = delete;
    PulseSoundCapture &operator=(const PulseSoundCapture &) = delete;

    // Starting again while running restarts.
    std::optional<QString> start(Callbacks callbacks) override;
    void stop() override;

private:
    std::string serverAddress_;
    std::unique_ptr<PulseSession> session_;
};

} // namespace murva
