#pragma once

#include <cstdint>
#include <optional>

namespace murva {

// Which frames of a picture track go to the encoder, by their time in ticks. Every new
// picture does, and so do its repeats for a second after it: the encoder sharpens the
// new picture over them and they push it out of its look-ahead. Later repeats go only
// once a second, which keeps a still picture almost free. A key frame comes at least
// every `keyFrameEverySec`, by time rather than by count, so that each fragment of a
// file cut short holds one however few frames it has.
class EncodePacing {
public:
    enum class Decision { skip, encode, encodeKeyFrame };

    EncodePacing(std::int64_t ticksPerSec, int keyFrameEverySec);

    // `repeat`: the frame shows the same picture as the one before it.
    Decision next(std::int64_t ticks, bool repeat);

private:
    std::int64_t ticksPerSec_;
    std::int64_t keyFrameEveryTicks_;
    std::optional<std::int64_t> lastChangeTicks_;
    std::optional<std::int64_t> lastSentTicks_;
    std::optional<std::int64_t> lastKeyFrameTicks_;
};

} // namespace murva
