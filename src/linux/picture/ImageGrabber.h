#pragma once

#include "picture/BgraImage.h"

#include <QRect>

#include <xcb/xcb.h>
#include <xcb/shm.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>

namespace murva {

// Reads rectangles of a window or pixmap into memory, through a MIT-SHM segment shared
// with the X server when it offers one (no copy through the socket), else with GetImage.
// Used on one thread only.
class ImageGrabber {
public:
    explicit ImageGrabber(xcb_connection_t *connection);
    ~ImageGrabber();

    ImageGrabber(const ImageGrabber &) = delete;
    ImageGrabber &operator=(const ImageGrabber &) = delete;

    // `area` must lie inside `drawable`. The image stays valid until the next grab.
    // Empty when the drawable is gone or its pixels are not 32 bits wide.
    std::optional<BgraImage> grab(xcb_drawable_t drawable, const QRect &area);

    bool usesSharedMemory() const { return segmentUsable_; }

private:
    struct FreeReply {
        void operator()(void *reply) const { std::free(reply); }
    };

    std::optional<BgraImage> grabShared(xcb_drawable_t drawable, const QRect &area);
    std::optional<BgraImage> grabThroughSocket(xcb_drawable_t drawable, const QRect &area);
    bool ensureSegment(std::size_t bytes);
    void releaseSegment();

    xcb_connection_t *connection_;
    bool segmentUsable_ = false;
    xcb_shm_seg_t segment_ = 0;
    std::uint8_t *segmentPixels_ = nullptr;
    std::size_t segmentBytes_ = 0;
    std::unique_ptr<xcb_get_image_reply_t, FreeReply> socketReply_;
};

} // namespace murva
