#include "x11/X11Displays.h"

#include <algorithm>
#include <utility>

namespace murva {

std::vector<ShareableDisplay> displaysFor(const std::vector<X11Monitor> &monitors, QSize screenSize,
                                          std::uint32_t rootWindow)
{
    if (monitors.empty()) {
        return {{rootWindow, QRectF(QPointF(0, 0), QSizeF(screenSize)), true}};
    }
    const bool anyPrimary = std::any_of(monitors.begin(), monitors.end(),
                                        [](const X11Monitor &monitor) { return monitor.primary; });
    std::vector<ShareableDisplay> displays;
    for (const X11Monitor &monitor : monitors) {
        const bool isMain = anyPrimary ? monitor.primary : displays.empty();
        displays.push_back({monitor.nameAtom, QRectF(monitor.frame), isMain});
    }
    // A server may mark more than one monitor primary; only the first counts.
    bool mainSeen = false;
    for (ShareableDisplay &display : displays) {
        display.isMain = display.isMain && !std::exchange(mainSeen, true);
    }
    return displays;
}

std::optional<xcb_randr_get_monitors_cookie_t> askMonitors(X11Connection &x11)
{
    if (!x11.hasMonitors()) {
        return std::nullopt;
    }
    return xcb_randr_get_monitors(x11.xcb(), x11.root(), 1);
}

std::vector<ShareableDisplay> readDisplays(X11Connection &x11, std::optional<xcb_randr_get_monitors_cookie_t> asked)
{
    std::vector<X11Monitor> monitors;
    if (asked) {
        if (const auto reply = x11.reply<xcb_randr_get_monitors_reply_t>(*asked)) {
            for (auto each = xcb_randr_get_monitors_monitors_iterator(reply.get()); each.rem > 0;
                 xcb_randr_monitor_info_next(&each)) {
                const xcb_randr_monitor_info_t &info = *each.data;
                if (info.width > 0 && info.height > 0) {
                    monitors.push_back({info.name, QRect(info.x, info.y, info.width, info.height), bool(info.primary)});
                }
            }
        }
    }
    return displaysFor(monitors, x11.screenSize(), x11.root());
}

} // namespace murva
