#include "picture/DamageWatch.h"

#include <cstdlib>

namespace murva {

DamageWatch::DamageWatch(xcb_connection_t *connection)
    : connection_(connection)
{
    const xcb_query_extension_reply_t *damage = xcb_get_extension_data(connection_, &xcb_damage_id);
    if (damage == nullptr || !damage->present) {
        return;
    }
    // The server ignores every other Damage request until the client has said its version.
    xcb_damage_query_version_reply_t *version = xcb_damage_query_version_reply(
        connection_, xcb_damage_query_version(connection_, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr);
    available_ = version != nullptr;
    std::free(version);
    notifyEvent_ = damage->first_event + XCB_DAMAGE_NOTIFY;
}

DamageWatch::~DamageWatch()
{
    stop();
}

void DamageWatch::watch(xcb_drawable_t drawable)
{
    stop();
    changed_ = true;
    if (!available_) {
        return;
    }
    damage_ = xcb_generate_id(connection_);
    // One notification when the damaged region stops being empty; subtracting the
    // region in takeChange() arms the next one.
    xcb_damage_create(connection_, damage_, drawable, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
}

void DamageWatch::stop()
{
    if (damage_ != 0) {
        // The server frees it itself with a destroyed window; the error that this then
        // causes arrives as an event and is ignored.
        xcb_damage_destroy(connection_, damage_);
        damage_ = 0;
    }
}

void DamageWatch::handle(const xcb_generic_event_t *event)
{
    if (damage_ == 0 || (event->response_type & 0x7f) != notifyEvent_) {
        return;
    }
    if (reinterpret_cast<const xcb_damage_notify_event_t *>(event)->damage == damage_) {
        changed_ = true;
    }
}

bool DamageWatch::takeChange()
{
    if (!available_ || damage_ == 0) {
        return true;
    }
    if (!changed_) {
        return false;
    }
    changed_ = false;
    xcb_damage_subtract(connection_, damage_, XCB_NONE, XCB_NONE);
    return true;
}

} // namespace murva
