#include "TestDisplays.h"

#include <xcb/xcb.h>

#include <signal.h>

#include <cstdlib>

namespace murva::test {

ScopedDisplay::ScopedDisplay(const QByteArray &display)
{
    if (qEnvironmentVariableIsSet("DISPLAY")) {
        saved_ = qgetenv("DISPLAY");
    }
    if (display.isEmpty()) {
        qunsetenv("DISPLAY");
    } else {
        qputenv("DISPLAY", display);
    }
}

ScopedDisplay::~ScopedDisplay()
{
    if (saved_) {
        qputenv("DISPLAY", *saved_);
    } else {
        qunsetenv("DISPLAY");
    }
}

PrivateDisplay::PrivateDisplay()
{
    // Xvfb picks a free display number and writes it to the given descriptor.
    server_.start("Xvfb", {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
    if (server_.waitForReadyRead(5000)) {
        name_ = ':' + server_.readLine().trimmed();
    }
}

PrivateDisplay::~PrivateDisplay()
{
    signal(SIGCONT); // a stopped server would not see the SIGTERM
    server_.terminate();
    if (!server_.waitForFinished(3000)) {
        server_.kill();
        server_.waitForFinished(1000);
    }
}

void PrivateDisplay::signal(int number)
{
    if (server_.processId() > 0) {
        ::kill(pid_t(server_.processId()), number);
    }
}

bool setStackingList(const std::vector<std::uint32_t> &bottomToTop)
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const char name[] = "_NET_CLIENT_LIST_STACKING";
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    const bool interned = atom != nullptr;
    if (interned) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, atom->atom, XCB_ATOM_WINDOW, 32,
                            std::uint32_t(bottomToTop.size()), bottomToTop.data());
        // A round trip, so the property is set before the caller goes on.
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    std::free(atom);
    xcb_disconnect(connection);
    return interned;
}

} // namespace murva::test
