#include "x11/X11Connection.h"

#include <xcb/randr.h>
#include <xcb/xcbext.h> // xcb_poll_for_reply
#include <xcb/res.h>

#include <poll.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace murva {

std::unique_ptr<X11Connection> X11Connection::adopt(xcb_connection_t *connection, int screenNumber,
                                                    QByteArray displayName, QDeadlineTimer deadline)
{
    std::unique_ptr<X11Connection> opened(
        new X11Connection(connection, screenNumber, std::move(displayName), deadline));
    if (opened->broken() || opened->root_ == XCB_WINDOW_NONE) {
        return nullptr;
    }
    return opened;
}

X11Connection::X11Connection(xcb_connection_t *connection, int screenNumber, QByteArray displayName,
                             QDeadlineTimer deadline)
    : connection_(connection), displayName_(std::move(displayName)), deadline_(deadline)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int skip = 0; skip < screenNumber && screens.rem > 0; ++skip) {
        xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
        return;
    }
    root_ = screens.data->root;
    screenSize_ = QSize(screens.data->width_in_pixels, screens.data->height_in_pixels);
    queryExtensions();
}

X11Connection::~X11Connection()
{
    xcb_disconnect(connection_);
}

void X11Connection::queryExtensions()
{
    // The extension queries go out before the atoms; once the atoms have their replies
    // the extension data is in, so xcb_get_extension_data below does not wait.
    xcb_prefetch_extension_data(connection_, &xcb_randr_id);
    xcb_prefetch_extension_data(connection_, &xcb_res_id);
    internAtoms();
    if (broken()) {
        return;
    }
    const xcb_query_extension_reply_t *randr = xcb_get_extension_data(connection_, &xcb_randr_id);
    const xcb_query_extension_reply_t *res = xcb_get_extension_data(connection_, &xcb_res_id);
    std::optional<xcb_randr_query_version_cookie_t> randrVersion;
    std::optional<xcb_res_query_version_cookie_t> resVersion;
    if (randr && randr->present) {
        randrVersion = xcb_randr_query_version(connection_, 1, 5);
    }
    if (res && res->present) {
        resVersion = xcb_res_query_version(connection_, 1, 2);
    }
    if (randrVersion) {
        auto version = reply<xcb_randr_query_version_reply_t>(*randrVersion);
        hasMonitors_ = version && (version->major_version > 1 || version->minor_version >= 5);
    }
    if (resVersion) {
        auto version = reply<xcb_res_query_version_reply_t>(*resVersion);
        hasClientIds_ = version && (version->server_major > 1 || version->server_minor >= 2);
    }
}

void X11Connection::internAtoms()
{
    std::vector<std::pair<xcb_atom_t *, const char *>> wanted{
        {&atoms_.utf8String, "UTF8_STRING"},
        {&atoms_.clientListStacking, "_NET_CLIENT_LIST_STACKING"},
        {&atoms_.netWmName, "_NET_WM_NAME"},
        {&atoms_.netWmPid, "_NET_WM_PID"},
        {&atoms_.netWmState, "_NET_WM_STATE"},
        {&atoms_.netWmStateHidden, "_NET_WM_STATE_HIDDEN"},
        {&atoms_.netWmWindowType, "_NET_WM_WINDOW_TYPE"},
        {&atoms_.wmState, "WM_STATE"},
    };
    for (std::size_t type = 0; type < kX11WindowTypeAtomNames.size(); ++type) {
        wanted.emplace_back(&atoms_.windowTypes[type], kX11WindowTypeAtomNames[type]);
    }
    std::vector<xcb_intern_atom_cookie_t> cookies;
    cookies.reserve(wanted.size());
    for (const auto &[atom, name] : wanted) {
        cookies.push_back(xcb_intern_atom(connection_, 0, std::uint16_t(std::strlen(name)), name));
    }
    for (std::size_t at = 0; at < wanted.size(); ++at) {
        if (auto interned = reply<xcb_intern_atom_reply_t>(cookies[at])) {
            *wanted[at].first = interned->atom;
        }
    }
}

void *X11Connection::waitForReply(unsigned int sequence)
{
    if (broken()) {
        return nullptr;
    }
    xcb_flush(connection_);
    for (;;) {
        void *answer = nullptr;
        xcb_generic_error_t *error = nullptr;
        if (xcb_poll_for_reply(connection_, sequence, &answer, &error)) {
            std::free(error);
            return answer;
        }
        // Polling for events is what reads the socket without blocking; this
        // connection selects no events, so whatever comes that way is dropped.
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection_)) {
            std::free(event);
        }
        if (xcb_poll_for_reply(connection_, sequence, &answer, &error)) {
            std::free(error);
            return answer;
        }
        if (!waitForInput()) {
            broken_ = true;
            return nullptr;
        }
    }
}

bool X11Connection::waitForInput()
{
    pollfd socket{xcb_get_file_descriptor(connection_), POLLIN, 0};
    for (;;) {
        const qint64 remainingMs = deadline_.remainingTime();
        if (remainingMs == 0) {
            return false;
        }
        const int ready = ::poll(&socket, 1, remainingMs < 0 ? -1 : int(remainingMs));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

} // namespace murva
