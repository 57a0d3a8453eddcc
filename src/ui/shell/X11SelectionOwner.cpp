#include "shell/X11SelectionOwner.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcbext.h> // xcb_poll_for_reply

#include <cstdlib>

namespace murva {
namespace {

xcb_connection_t *appConnection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace

X11SelectionOwner::X11SelectionOwner(QByteArray selection, QObject *parent)
    : QObject(parent), selection_(std::move(selection))
{
    poller_.setInterval(5);
    connect(&poller_, &QTimer::timeout, this, &X11SelectionOwner::poll);
}

void X11SelectionOwner::ask()
{
    xcb_connection_t *connection = appConnection();
    if (!connection || atomRequest_ || ownerRequest_) {
        return;
    }
    if (atom_ == 0) {
        atomRequest_ = xcb_intern_atom(connection, 0, selection_.size(), selection_.constData()).sequence;
    } else {
        ownerRequest_ = xcb_get_selection_owner(connection, atom_).sequence;
    }
    xcb_flush(connection);
    poller_.start();
}

void X11SelectionOwner::poll()
{
    xcb_connection_t *connection = appConnection();
    const unsigned request = atomRequest_ ? atomRequest_ : ownerRequest_;
    void *reply = nullptr;
    xcb_generic_error_t *error = nullptr;
    if (!connection || !xcb_poll_for_reply(connection, request, &reply, &error)) {
        return; // not yet
    }
    std::free(error);
    poller_.stop();
    if (atomRequest_) {
        atomRequest_ = 0;
        atom_ = reply ? static_cast<xcb_intern_atom_reply_t *>(reply)->atom : 0;
        std::free(reply);
        if (atom_) {
            ask();
        }
        return;
    }
    ownerRequest_ = 0;
    const bool owned = reply && static_cast<xcb_get_selection_owner_reply_t *>(reply)->owner != XCB_NONE;
    std::free(reply);
    if (owned_ != owned) {
        owned_ = owned;
        emit ownedChanged(owned);
    }
}

} // namespace murva
