#pragma once

#include "x11/X11Connection.h"
#include "x11/X11WindowFacts.h"

#include <optional>
#include <vector>

namespace murva {

// The top-level windows of the display, front-most first: the window manager's
// stacking list, or, without a window manager, the root's mapped children (the client
// inside each frame when there is one). Desktop and input-only windows are left out.
// Nothing when the connection breaks or misses its deadline.
std::optional<std::vector<X11WindowFacts>> readWindows(X11Connection &x11);

} // namespace murva
