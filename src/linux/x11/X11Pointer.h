#pragma once

#include <QPointF>

#include <optional>

namespace murva {

// Where the mouse pointer is on the X display, in root coordinates (the frames of the
// displays). Nothing without a display or when the pointer is on another screen.
std::optional<QPointF> x11PointerPosition();

} // namespace murva
