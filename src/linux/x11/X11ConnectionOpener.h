#pragma once

#include "x11/X11Connection.h"

#include <QByteArray>
#include <QDeadlineTimer>

#include <memory>

namespace murva {

// Opens X connections on a helper thread: XCB sets a connection up with blocking reads,
// so a display that accepts the socket but never answers (a stopped server) would hang
// the caller. At most one attempt runs at a time; one that misses its deadline is left
// to finish on its own and closes what it opened.
class X11ConnectionOpener {
public:
    // Nothing when the display cannot be opened before the (finite) deadline, or while
    // an earlier attempt is still stuck.
    std::unique_ptr<X11Connection> open(const QByteArray &displayName, QDeadlineTimer deadline);

private:
    struct Attempt;
    std::shared_ptr<Attempt> stuck_;
};

} // namespace murva
