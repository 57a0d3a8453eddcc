#pragma once

#include "capture/CaptureTarget.h"

#include <QRectF>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace murva {

// One picture, already scaled into the recording's frame size (aspect ratio kept,
// letterboxed), as planar YUV 4:2:0 (I420: the Y plane, then U, then V, no padding).
// Without pixels (`i420` empty) it shows the same picture as the frame before it.
struct VideoFrame {
    std::int64_t monotonicNs = 0; // CLOCK_MONOTONIC time the picture was taken
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> i420;

    bool repeatsPrevious() const { return i420.empty(); }
};

// Port: the picture of a window or a display, 15 times a second.
class PictureCapture {
public:
    struct Callbacks {
        // Called on the grabbing thread; must return quickly (hand the frame on).
        std::function<void(VideoFrame)> deliver;
        // Called once when the display goes away. A window that closes is not broken:
        // the picture holds until the owner aims elsewhere.
        std::function<void()> broken;
    };

    virtual ~PictureCapture() = default;

    // Starts grabbing `target`, cropped to `sourceRect` (in the target's own coordinates;
    // a null rectangle means all of it), scaled into `frameSize`. `showsCursor` draws the
    // pointer into display pictures. Returns an error text when it cannot start.
    virtual std::optional<QString> start(const CaptureTarget &target, const QRectF &sourceRect,
                                         QSize frameSize, bool showsCursor, Callbacks callbacks) = 0;

    // Switches to another target without stopping; the frame size stays. Failures are silent.
    virtual void aim(const CaptureTarget &target, const QRectF &sourceRect) = 0;

    // Stops grabbing; once it returns no callback runs any more. Harmless twice.
    virtual void stop() = 0;
};

} // namespace murva
