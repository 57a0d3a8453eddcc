#pragma once

#include "capture/PictureCapture.h"

#include <QPoint>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace murva::test {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// The colour at `point` of an I420 frame, converted back with BT.601 limited range.
Rgb colourAt(const VideoFrame &frame, QPoint point);
bool near(Rgb colour, std::uint32_t rgb, int tolerance = 24);

// Collects what a picture capture hands over, for a test thread to wait on.
class FrameSink {
public:
    PictureCapture::Callbacks callbacks();

    // Waits until a frame delivered from now on satisfies `wanted`.
    bool waitFor(const std::function<bool(const VideoFrame &)> &wanted,
                 std::chrono::milliseconds timeout = std::chrono::seconds(3));
    // Waits until `count` more frames have come.
    bool waitForMore(int count, std::chrono::milliseconds timeout = std::chrono::seconds(3));
    bool waitForBroken(std::chrono::milliseconds timeout = std::chrono::seconds(3));

    VideoFrame latest();
    std::vector<std::int64_t> stamps();
    int frameCount();
    int brokenCount();
    // Frames that came after `broken`, which must never happen.
    int framesAfterBroken();

private:
    void deliver(VideoFrame frame);
    void broken();

    std::mutex mutex_;
    std::condition_variable changed_;
    VideoFrame latest_;
    std::vector<std::int64_t> stamps_;
    int brokenCount_ = 0;
    int framesAfterBroken_ = 0;
};

} // namespace murva::test
