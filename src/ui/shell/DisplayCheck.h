#pragma once

namespace murva {

// Whether the X display named by DISPLAY accepts a connection. Asked before the
// application object exists, because Qt aborts when it cannot open its display.
bool x11DisplayReachable();

} // namespace murva
