#pragma once

#include "picture/BgraImage.h"

#include <QRect>
#include <QSize>

#include <cstdint>
#include <vector>

struct SwsContext;

namespace murva {

struct I420Planes;

// Where a picture of size `source` lands in a frame of size `frame` with its aspect
// ratio kept: as large as fits, centred, on even coordinates so that the 4:2:0 chroma
// planes line up with it.
QRect letterboxRect(QSize source, QSize frame);

// Scales BGRA pictures into one I420 frame of a fixed size, letterboxed with black bars:
// converting and scaling in a single libswscale pass, or converting only when the picture
// already has the size it takes in the frame. The frame persists between calls,
// so it still holds the last picture when no new one comes. Used on one thread only.
class FrameScaler {
public:
    explicit FrameScaler(QSize frameSize); // the frame starts black
    ~FrameScaler();

    FrameScaler(const FrameScaler &) = delete;
    FrameScaler &operator=(const FrameScaler &) = delete;

    void scale(const BgraImage &image);

    QSize frameSize() const { return frameSize_; }
    // Y plane, then U, then V, with no padding; BT.601 limited range (libswscale's default).
    const std::vector<std::uint8_t> &frame() const { return i420_; }

private:
    void scaleWithLibswscale(const BgraImage &image, const I420Planes &target);
    void paintBlack();

    QSize frameSize_;
    int chromaWidth_;
    int chromaHeight_;
    std::vector<std::uint8_t> i420_;
    SwsContext *context_ = nullptr;
    QSize layoutSource_;
    QRect placement_;
};

} // namespace murva
