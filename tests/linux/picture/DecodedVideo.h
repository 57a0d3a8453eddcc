#pragma once

#include "capture/PictureCapture.h"

#include <QString>

#include <vector>

namespace murva::test {

// The picture track of a file, decoded with libav: every picture it holds with its time
// in seconds, and the time at which its last picture ends.
struct DecodedVideo {
    struct Picture {
        double atSec = 0;
        VideoFrame frame; // I420 without padding
    };
    std::vector<Picture> pictures;
    double endSec = 0;

    // The picture a player shows at `atSec`; null before the first one.
    const VideoFrame *shownAt(double atSec) const;
};

// Empty pictures when the file has no readable picture track.
DecodedVideo decodeVideo(const QString &path);

} // namespace murva::test
