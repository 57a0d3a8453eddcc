#pragma once

#include "picture/BgraImage.h"

#include <QPoint>
#include <QSize>

#include <xcb/xcb.h>

#include <cstdint>

namespace murva {

// Blends a cursor of premultiplied ARGB pixels (XFixes' format) into `image`, with the
// cursor's top-left pixel at `topLeft` in the image's coordinates; what falls outside is cut off.
void blendCursor(const BgraImage &image, QPoint topLeft, const std::uint32_t *argb, QSize cursorSize);

// Draws the pointer into pictures of the screen. The X server leaves it out of what
// GetImage returns, so it is fetched from XFixes for every picture. Used on one thread only.
class CursorOverlay {
public:
    explicit CursorOverlay(xcb_connection_t *connection);

    // `origin` is where the image's top-left pixel lies in root coordinates.
    void drawInto(const BgraImage &image, QPoint origin);

private:
    xcb_connection_t *connection_;
    bool available_ = false;
};

} // namespace murva
