#include "media/EncodePacing.h"

namespace murva {

EncodePacing::EncodePacing(std::int64_t ticksPerSec, int keyFrameEverySec)
    : ticksPerSec_(ticksPerSec)
    , keyFrameEveryTicks_(ticksPerSec * keyFrameEverySec)
{
}

EncodePacing::Decision EncodePacing::next(std::int64_t ticks, bool repeat)
{
    if (repeat) {
        if (!lastSentTicks_) {
            return Decision::skip; // nothing to repeat yet
        }
        const bool settling = ticks - *lastChangeTicks_ < ticksPerSec_;
        const bool due = ticks - *lastSentTicks_ >= ticksPerSec_;
        if (!settling && !due) {
            return Decision::skip;
        }
    } else {
        lastChangeTicks_ = ticks;
    }
    lastSentTicks_ = ticks;
    if (lastKeyFrameTicks_ && ticks - *lastKeyFrameTicks_ < keyFrameEveryTicks_) {
        return Decision::encode;
    }
    lastKeyFrameTicks_ = ticks;
    return Decision::encodeKeyFrame;
}

} // namespace murva
