#include "turns/Segmenter.h"

namespace murva {

namespace {

double framesSec(std::int64_t count)
{
    return static_cast<double>(count) * Segmenter::frameSec;
}

} // namespace

std::optional<Phrase> Segmenter::push(float rms, double atSec)
{
    const bool loud = rms >= threshold; // false for NaN
    if (frames == 0) {
        if (!loud)
            return std::nullopt;
        startSec = atSec;
        frames = 1;
    } else {
        ++frames;
    }

    if (loud) {
        ++speechFrames;
        silentFrames = 0;
    } else {
        ++silentFrames;
    }

    if (framesSec(silentFrames) >= pauseSec || framesSec(frames) >= maxSec)
        return flush();
    return std::nullopt;
}

std::optional<Phrase> Segmenter::flush()
{
    const double speechSec = framesSec(speechFrames);
    const double lengthSec = framesSec(frames);
    const double endSec = startSec + lengthSec;
    frames = 0;
    speechFrames = 0;
    silentFrames = 0;
    if (speechSec >= minSpeechSec)
        return Phrase{startSec, endSec};
    return std::nullopt;
}

} // namespace murva
