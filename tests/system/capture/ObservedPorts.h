#pragma once

#include "capture/Capture.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace murva::test {

// Notes what the real sources hand to a capture, in the order the capture gets it:
// the first buffer is the file's time 0, and the sound tells where speech really began.
class CaptureObserver {
public:
    // The monotonic time of the first buffer or picture handed on.
    std::optional<std::int64_t> timeZeroNs() const;
    // The first sound of `side` louder than `threshold`, not before `fromNs`.
    std::optional<std::int64_t> firstLoudNs(Side side, std::int64_t fromNs, float threshold = 0.05f) const;
    int soundBuffers(Side side) const;

    // Wraps the ports' sources; the writer is left as it is.
    CapturePorts observe(CapturePorts ports);

private:
    friend class ObservedSound;
    friend class ObservedPicture;

    // Held while a buffer is noted and handed on, so that the order noted is the order
    // in which the capture's queue receives them.
    mutable std::mutex mutex_;
    std::optional<std::int64_t> timeZeroNs_;
    std::vector<SoundBuffer> sound_;
};

} // namespace murva::test
