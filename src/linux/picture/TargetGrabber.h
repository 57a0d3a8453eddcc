#pragma once

#include "capture/CaptureTarget.h"
#include "picture/BgraImage.h"
#include "picture/CursorOverlay.h"
#include "picture/DamageWatch.h"
#include "picture/ImageGrabber.h"
#include "picture/WindowPixmap.h"

#include <QRect>
#include <QRectF>

#include <xcb/xcb.h>

#include <optional>

namespace murva {

// The part of the target's picture (a window's, or a display's rectangle of the root
// window) that `sourceRect` keeps, read again only when something was drawn there (or,
// on a display, the pointer changed) since the last read. Used on one thread only.
class TargetGrabber {
public:
    TargetGrabber(xcb_connection_t *connection, xcb_window_t root, bool showsCursor);

    void aim(const CaptureTarget &target, const QRectF &sourceRect);

    // Every event read from the connection passes through here.
    void handle(const xcb_generic_event_t *event);

    // Empty when the picture is unchanged since the last one returned, or when there is
    // no picture now: the window is unmapped or gone, or the display lies outside the
    // screen (tried again every time until a picture comes).
    std::optional<BgraImage> grabChanged();

private:
    bool changed();
    std::optional<BgraImage> grabWindow();
    std::optional<BgraImage> grabDisplay();
    QRect rootBounds();

    xcb_connection_t *connection_;
    xcb_window_t root_;
    bool showsCursor_;
    bool compositeAvailable_ = false;
    ImageGrabber images_;
    CursorOverlay cursor_;
    DamageWatch damage_;
    bool retry_ = true;
    std::optional<WindowPixmap> window_;
    std::optional<QRect> display_; // the aimed display's rectangle in root coordinates
    QRectF sourceRect_;
    std::optional<QRect> rootBounds_;
};

// The part of a target of `targetSize` that `sourceRect` (in the target's coordinates)
// keeps: all of it when the rectangle is null or lies wholly outside.
QRect croppedArea(const QRectF &sourceRect, QSize targetSize);

} // namespace murva
