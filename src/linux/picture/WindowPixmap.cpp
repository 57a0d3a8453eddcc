#include "picture/WindowPixmap.h"

#include <xcb/composite.h>

#include <cstdlib>

namespace murva {

WindowPixmap::WindowPixmap(xcb_connection_t *connection, xcb_window_t window)
    : connection_(connection)
    , window_(window)
{
    // Other clients may listen to the same window; only this connection's mask changes.
    const std::uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, window_, XCB_CW_EVENT_MASK, &events);
    // Automatic redirection: the server still draws the window on screen as before,
    // and several clients (a compositing manager too) may redirect the same window.
    xcb_composite_redirect_window(connection_, window_, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
}

WindowPixmap::~WindowPixmap()
{
    releasePixmap();
    if (!gone_) {
        const std::uint32_t noEvents = 0;
        xcb_change_window_attributes(connection_, window_, XCB_CW_EVENT_MASK, &noEvents);
        xcb_composite_unredirect_window(connection_, window_, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    }
    xcb_flush(connection_);
}

std::optional<WindowPixmap::Content> WindowPixmap::current()
{
    if (!gone_ && stale_) {
        nameAgain();
    }
    if (gone_ || pixmap_ == 0) {
        return std::nullopt;
    }
    return Content{pixmap_, area_};
}

void WindowPixmap::handle(const xcb_generic_event_t *event)
{
    switch (event->response_type & 0x7f) {
    case XCB_CONFIGURE_NOTIFY: {
        const auto *configure = reinterpret_cast<const xcb_configure_notify_event_t *>(event);
        const QRect inside(configure->border_width, configure->border_width, configure->width,
                           configure->height);
        if (configure->window == window_ && inside != area_) {
            stale_ = true;
        }
        break;
    }
    case XCB_MAP_NOTIFY:
        if (reinterpret_cast<const xcb_map_notify_event_t *>(event)->window == window_) {
            stale_ = true;
        }
        break;
    case XCB_DESTROY_NOTIFY:
        if (reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window == window_) {
            gone_ = true;
            releasePixmap();
        }
        break;
    default:
        break;
    }
}

void WindowPixmap::nameAgain()
{
    releasePixmap();
    stale_ = false;
    xcb_generic_error_t *error = nullptr;
    xcb_get_geometry_reply_t *geometry =
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window_), &error);
    if (geometry == nullptr) {
        // Without a reply the window no longer exists (or the connection broke).
        gone_ = true;
        std::free(error);
        return;
    }
    area_ = QRect(geometry->border_width, geometry->border_width, geometry->width, geometry->height);
    std::free(geometry);

    const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
    error = xcb_request_check(connection_,
                              xcb_composite_name_window_pixmap_checked(connection_, window_, pixmap));
    if (error != nullptr) {
        // An unmapped window has no pixmap; its next MapNotify brings one.
        std::free(error);
        return;
    }
    pixmap_ = pixmap;
}

void WindowPixmap::releasePixmap()
{
    if (pixmap_ != 0) {
        xcb_free_pixmap(connection_, pixmap_);
        pixmap_ = 0;
    }
}

} // namespace murva
