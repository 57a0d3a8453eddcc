#pragma once

#include <xcb/xcb.h>
#include <xcb/damage.h>

#include <cstdint>

namespace murva {

// Tells whether anything was drawn on a window (or, on the root window, anywhere on the
// screen) since the last look, from the X Damage extension's notifications, so that an
// unchanged picture need not be read again. Without the extension every look reports a
// change. Used on one thread only.
class DamageWatch {
public:
    explicit DamageWatch(xcb_connection_t *connection);
    ~DamageWatch();

    DamageWatch(const DamageWatch &) = delete;
    DamageWatch &operator=(const DamageWatch &) = delete;

    // Follows `drawable` instead of what was followed before; counts as a change.
    void watch(xcb_drawable_t drawable);
    void stop();

    // Every event read from the connection passes through here.
    void handle(const xcb_generic_event_t *event);

    // Whether anything was drawn since the previous call. Drawing from now on is
    // reported by the next call, so no change slips between a look and the read after it.
    bool takeChange();

private:
    xcb_connection_t *connection_;
    bool available_ = false;
    std::uint8_t notifyEvent_ = 0;
    xcb_damage_damage_t damage_ = 0;
    bool changed_ = true;
};

} // namespace murva
