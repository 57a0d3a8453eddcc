#pragma once

#include "capture/PictureCapture.h"

#include <QSize>

#include <cstdint>
#include <functional>
#include <vector>

namespace murva {

class MediaWriter;

// Made-up recording content: a screen-like picture (a still page with a moving box and
// a busy "camera" tile) and a tone, in the shapes the capture hands to a writer.
class SyntheticMedia {
public:
    static constexpr int kFramesPerSec = 15;
    static constexpr int kSampleRate = 48000;

    explicit SyntheticMedia(QSize frameSize);

    VideoFrame frame(int index) const;
    std::vector<float> tone(std::int64_t firstSample, std::size_t count) const;

    // Appends `seconds` of pictures (when the frame size is not empty) and sound, one
    // picture interval at a time, as the capture would. `afterSecond` is told each
    // whole second written. Returns false as soon as an append fails.
    bool write(MediaWriter &writer, int seconds, const std::function<void(int)> &afterSecond = {}) const;

private:
    QSize size_;
    std::vector<std::uint8_t> page_; // the still part of the picture
};

} // namespace murva
