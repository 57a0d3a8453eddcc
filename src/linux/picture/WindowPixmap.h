#pragma once

#include <QRect>

#include <xcb/xcb.h>

#include <optional>

namespace murva {

// The off-screen pixmap that Composite keeps for one window, so that the window's
// content can be read while other windows cover it. The server gives a mapped window a
// new pixmap whenever it is resized or mapped again, so this follows the window's
// structure events and names the pixmap anew when needed. Used on one thread only.
class WindowPixmap {
public:
    WindowPixmap(xcb_connection_t *connection, xcb_window_t window);
    ~WindowPixmap(); // gives the window back its normal drawing

    WindowPixmap(const WindowPixmap &) = delete;
    WindowPixmap &operator=(const WindowPixmap &) = delete;

    struct Content {
        xcb_pixmap_t pixmap = 0;
        QRect area; // where the window's inside lies in the pixmap (past its border)
    };

    // The pixmap holding the window's current picture; empty while the window is
    // unmapped and once it is destroyed.
    std::optional<Content> current();

    // Every event read from the connection passes through here.
    void handle(const xcb_generic_event_t *event);

    // A read from the pixmap failed: name it again before the next read.
    void invalidate() { stale_ = true; }

    // The pixmap must be named anew (resized or mapped again): its picture changed.
    bool stale() const { return stale_ && !gone_; }
    bool gone() const { return gone_; }

private:
    void nameAgain();
    void releasePixmap();

    xcb_connection_t *connection_;
    xcb_window_t window_;
    xcb_pixmap_t pixmap_ = 0;
    QRect area_;
    bool stale_ = true;
    bool gone_ = false;
};

} // namespace murva
