#pragma once

#include "screen/ShareableContent.h"

#include <cstdint>
#include <variant>

namespace murva {

// What a capture records: one window or one display.
struct CaptureTarget {
    std::variant<ShareableWindow, ShareableDisplay> what;

    bool isWindow() const { return std::holds_alternative<ShareableWindow>(what); }
    const ShareableWindow &window() const { return std::get<ShareableWindow>(what); }
    const ShareableDisplay &display() const { return std::get<ShareableDisplay>(what); }
};

// The equatable summary of a target: its kind and its 32-bit identifier.
struct Aimed {
    enum class Kind { window, display };
    Kind kind = Kind::window;
    std::uint32_t id = 0;

    static Aimed of(const CaptureTarget &target)
    {
        return target.isWindow() ? Aimed{Kind::window, target.window().windowID}
                                 : Aimed{Kind::display, target.display().displayID};
    }
    bool operator==(const Aimed &) const = default;
};

} // namespace murva
