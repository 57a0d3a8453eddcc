#include "picture/TargetGrabber.h"

#include <xcb/composite.h>

#include <cstdlib>

namespace murva {

QRect croppedArea(const QRectF &sourceRect, QSize targetSize)
{
    const QRect whole(QPoint(0, 0), targetSize);
    if (sourceRect.isNull()) {
        return whole;
    }
    const QRect kept = sourceRect.toAlignedRect() & whole;
    return kept.isEmpty() ? whole : kept;
}

TargetGrabber::TargetGrabber(xcb_connection_t *connection, xcb_window_t root, bool showsCursor)
    : connection_(connection)
    , root_(root)
    , showsCursor_(showsCursor)
    , images_(connection)
    , cursor_(connection)
    , damage_(connection)
{
    const xcb_query_extension_reply_t *composite = xcb_get_extension_data(connection_, &xcb_composite_id);
    if (composite != nullptr && composite->present) {
        xcb_composite_query_version_reply_t *version = xcb_composite_query_version_reply(
            connection_, xcb_composite_query_version(connection_, 0, 4), nullptr);
        compositeAvailable_ = version != nullptr;
        std::free(version);
    }
}

void TargetGrabber::aim(const CaptureTarget &target, const QRectF &sourceRect)
{
    window_.reset();
    display_.reset();
    rootBounds_.reset();
    damage_.stop();
    retry_ = true;
    sourceRect_ = sourceRect;
    if (!target.isWindow()) {
        display_ = target.display().frame.toAlignedRect();
        damage_.watch(root_); // the root's damage covers everything drawn on the screen
    } else if (compositeAvailable_) {
        window_.emplace(connection_, target.window().windowID);
        damage_.watch(target.window().windowID);
    }
}

void TargetGrabber::handle(const xcb_generic_event_t *event)
{
    damage_.handle(event);
    if (window_) {
        window_->handle(event);
    }
}

std::optional<BgraImage> TargetGrabber::grabChanged()
{
    if (!changed()) {
        return std::nullopt;
    }
    std::optional<BgraImage> image;
    if (window_) {
        image = grabWindow();
    } else if (display_) {
        image = grabDisplay();
    }
    retry_ = !image;
    return image;
}

// Every source of change is asked each time, so that each one is re-armed.
bool TargetGrabber::changed()
{
    const bool drawn = damage_.takeChange();
    const bool pointerChanged = display_ && showsCursor_ && cursor_.refresh();
    const bool renamed = window_ && window_->stale();
    return drawn || pointerChanged || renamed || retry_;
}

std::optional<BgraImage> TargetGrabber::grabWindow()
{
    const std::optional<WindowPixmap::Content> content = window_->current();
    if (!content) {
        return std::nullopt;
    }
    const QRect area = croppedArea(sourceRect_, content->area.size()).translated(content->area.topLeft());
    std::optional<BgraImage> image = images_.grab(content->pixmap, area);
    if (!image) {
        // Most likely resized since the pixmap was named, and its event is still on the way.
        window_->invalidate();
    }
    return image;
}

std::optional<BgraImage> TargetGrabber::grabDisplay()
{
    const QRect wanted = croppedArea(sourceRect_, display_->size()).translated(display_->topLeft());
    QRect area = wanted & rootBounds();
    if (area != wanted) {
        // The screen may have grown (RandR) since its size was read.
        rootBounds_.reset();
        area = wanted & rootBounds();
    }
    if (area.isEmpty()) {
        return std::nullopt;
    }
    std::optional<BgraImage> image = images_.grab(root_, area);
    if (!image) {
        // The screen may have shrunk (RandR); read its size again next time.
        rootBounds_.reset();
        return std::nullopt;
    }
    if (showsCursor_) {
        cursor_.drawInto(*image, area.topLeft());
    }
    return image;
}

QRect TargetGrabber::rootBounds()
{
    if (!rootBounds_) {
        xcb_get_geometry_reply_t *geometry =
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, root_), nullptr);
        if (geometry == nullptr) {
            return {};
        }
        rootBounds_ = QRect(0, 0, geometry->width, geometry->height);
        std::free(geometry);
    }
    return *rootBounds_;
}

} // namespace murva
