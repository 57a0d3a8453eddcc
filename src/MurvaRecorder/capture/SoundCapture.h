#pragma once

#include "turns/Side.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace murva {

// One block of sound of one side: mono 32-bit float at 48000 samples per second,
// stamped with the CLOCK_MONOTONIC time of its first sample (in nanoseconds), already
// corrected by the latency its source reports.
struct SoundBuffer {
    Side side = Side::host;
    std::int64_t monotonicNs = 0;
    std::vector<float> samples;
};

// Port: the two sound streams of a recording, the microphone (host) and the computer's
// sound (guests). The adapter converts whatever the sources give into SoundBuffer.
class SoundCapture {
public:
    struct Callbacks {
        // Called on the adapter's own thread; must return quickly (hand the buffer on).
        std::function<void(SoundBuffer)> deliver;
        // Called once, on the adapter's thread, when the sound server goes away.
        std::function<void()> broken;
    };

    virtual ~SoundCapture() = default;

    // Starts both streams. Returns an error text when they cannot be started.
    virtual std::optional<QString> start(Callbacks callbacks) = 0;

    // Stops both streams; once it returns no callback runs any more. Harmless twice.
    virtual void stop() = 0;
};

} // namespace murva
