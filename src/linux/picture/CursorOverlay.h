#pragma once

#include "picture/BgraImage.h"

#include <QPoint>
#include <QSize>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace murva {

// Blends a cursor of premultiplied ARGB pixels (XFixes' format) into `image`, with the
// cursor's top-left pixel at `topLeft` in the image's coordinates; what falls outside is cut off.
void blendCursor(const BgraImage &image, QPoint topLeft, const std::uint32_t *argb, QSize cursorSize);

// Draws the pointer into pictures of the screen. The X server leaves it out of what
// GetImage returns, so it is fetched from XFixes once for every picture. Used on one
// thread only.
class CursorOverlay {
public:
    explicit CursorOverlay(xcb_connection_t *connection);

    // Reads the pointer's image and place anew; true when either changed since the
    // previous read (XFixes gives every new cursor image a new serial).
    bool refresh();

    // Draws the pointer as the last refresh() read it. `origin` is where the image's
    // top-left pixel lies in root coordinates.
    void drawInto(const BgraImage &image, QPoint origin) const;

private:
    struct FreeReply {
        void operator()(void *reply) const { std::free(reply); }
    };

    xcb_connection_t *connection_;
    bool available_ = false;
    std::unique_ptr<xcb_xfixes_get_cursor_image_reply_t, FreeReply> cursor_;
};

} // namespace murva
