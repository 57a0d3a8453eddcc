#pragma once

#include "screen/ShareableContent.h"
#include "x11/X11Connection.h"

#include <xcb/randr.h>

#include <optional>
#include <vector>

namespace murva {

// One RandR monitor as the server describes it.
struct X11Monitor {
    std::uint32_t nameAtom = 0; // unique per monitor, so it serves as its 32-bit id
    QRect frame;
    bool primary = false;
};

// The displays for a list of monitors. The primary one is the main display; when none
// is marked primary the first is, as desktops treat it. Without monitors the whole
// screen is one display, identified by the root window.
std::vector<ShareableDisplay> displaysFor(const std::vector<X11Monitor> &monitors, QSize screenSize,
                                          std::uint32_t rootWindow);

// Asking and reading apart, so the question can travel with the window questions.
std::optional<xcb_randr_get_monitors_cookie_t> askMonitors(X11Connection &x11);
std::vector<ShareableDisplay> readDisplays(X11Connection &x11, std::optional<xcb_randr_get_monitors_cookie_t> asked);

} // namespace murva
