#pragma once

#include "SoundTestSupport.h"

#include "capture/Capture.h"

#include <cstdint>
#include <mutex>
#include <optional>

namespace murva::test {

// Notes the sound the real source hands to a capture, in the order the capture gets it:
// it tells where speech really began.
class CaptureObserver {
public:
    // The first sound of `side` louder than `threshold`, not before `fromNs`.
    std::optional<std::int64_t> firstLoudNs(Side side, std::int64_t fromNs, float threshold = 0.05f) const
    {
        return test::firstLoudNs(log_.buffers(side), threshold, fromNs);
    }
    int soundBuffers(Side side) const { return int(log_.buffers(side).size()); }

    // Wraps the ports' sound source; the rest is left as it is.
    CapturePorts observe(CapturePorts ports);

private:
    friend class ObservedSound;

    // Held while a buffer is noted and handed on, so that the order noted is the order
    // in which the capture's queue receives them.
    std::mutex order_;
    SoundLog log_;
};

} // namespace murva::test
