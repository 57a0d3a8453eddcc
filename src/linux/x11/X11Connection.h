#pragma once

#include "x11/X11WindowType.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QSize>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace murva {

// An XCB reply, freed with free() as XCB wants.
struct XcbFree {
    void operator()(void *pointer) const { std::free(pointer); }
};
template <typename Reply>
using XcbReply = std::unique_ptr<Reply, XcbFree>;

// The atoms the window list reads, interned once per connection.
struct X11Atoms {
    xcb_atom_t utf8String = XCB_ATOM_NONE;
    xcb_atom_t clientListStacking = XCB_ATOM_NONE;
    xcb_atom_t netWmName = XCB_ATOM_NONE;
    xcb_atom_t netWmPid = XCB_ATOM_NONE;
    xcb_atom_t netWmState = XCB_ATOM_NONE;
    xcb_atom_t netWmStateHidden = XCB_ATOM_NONE;
    xcb_atom_t netWmWindowType = XCB_ATOM_NONE;
    xcb_atom_t wmState = XCB_ATOM_NONE;
    std::array<xcb_atom_t, kX11WindowTypeAtomNames.size()> windowTypes{}; // in X11WindowType order
};

// One connection to an X display, with a deadline on every wait so that a display
// that stops answering cannot hang the caller. Used on one thread at a time.
class X11Connection {
public:
    // Takes over a connection that XCB has set up; nothing when the display does not
    // answer its first questions before the deadline.
    static std::unique_ptr<X11Connection> adopt(xcb_connection_t *connection, int screenNumber,
                                                QByteArray displayName, QDeadlineTimer deadline);
    ~X11Connection();

    X11Connection(const X11Connection &) = delete;
    X11Connection &operator=(const X11Connection &) = delete;

    xcb_connection_t *xcb() const { return connection_; }
    xcb_window_t root() const { return root_; }
    QSize screenSize() const { return screenSize_; }
    const QByteArray &displayName() const { return displayName_; }
    const X11Atoms &atoms() const { return atoms_; }
    bool hasMonitors() const { return hasMonitors_; }   // RandR 1.5
    bool hasClientIds() const { return hasClientIds_; } // X-Resource 1.2

    // Broken: an I/O error, or a reply that missed its deadline. Reopen then.
    bool broken() const { return broken_ || xcb_connection_has_error(connection_); }

    // Applies to the waits that follow.
    void setDeadline(QDeadlineTimer deadline) { deadline_ = deadline; }

    // The reply to a request sent earlier; null after an X error (such as a window
    // that has gone meanwhile) or once the connection is broken.
    template <typename Reply, typename Cookie>
    XcbReply<Reply> reply(Cookie cookie)
    {
        return XcbReply<Reply>(static_cast<Reply *>(waitForReply(cookie.sequence)));
    }

private:
    X11Connection(xcb_connection_t *connection, int screenNumber, QByteArray displayName, QDeadlineTimer deadline);

    void *waitForReply(unsigned int sequence);
    bool waitForInput();
    void internAtoms();
    void queryExtensions();

    xcb_connection_t *connection_;
    QByteArray displayName_;
    QDeadlineTimer deadline_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    QSize screenSize_;
    X11Atoms atoms_;
    bool hasMonitors_ = false;
    bool hasClientIds_ = false;
    bool broken_ = false;
};

} // namespace murva
