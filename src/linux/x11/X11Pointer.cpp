#include "x11/X11Pointer.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace murva {

std::optional<QPointF> x11PointerPosition()
{
    // A short-lived connection: asked every few seconds while someone presents, which is
    // cheap next to the capture itself, and never left behind when the display goes.
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(nullptr, nullptr), &xcb_disconnect);
    if (xcb_connection_has_error(connection.get()) != 0) {
        return std::nullopt;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data;
    if (screen == nullptr) {
        return std::nullopt;
    }
    const xcb_query_pointer_cookie_t cookie = xcb_query_pointer(connection.get(), screen->root);
    std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> reply(
        xcb_query_pointer_reply(connection.get(), cookie, nullptr), &std::free);
    if (!reply || reply->same_screen == 0) {
        return std::nullopt;
    }
    return QPointF(reply->root_x, reply->root_y);
}

} // namespace murva
