#pragma once

#include <QRectF>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace murva {

// A running program, named by its application identifier (reverse-DNS, such as
// "us.zoom.xos"; empty when none could be found).
struct RunningApplication {
    QString bundleIdentifier;
    QString applicationName;
    qint64 processID = 0;

    bool operator==(const RunningApplication &) const = default;
};

struct ShareableWindow {
    std::uint32_t windowID = 0;
    QString title;                                   // empty when the window has none
    QRectF frame;                                    // root coordinates
    int windowLayer = 0;                             // 0 for normal windows
    bool isOnScreen = false;
    std::optional<RunningApplication> owningApplication;

    bool operator==(const ShareableWindow &) const = default;
};

struct ShareableDisplay {
    std::uint32_t displayID = 0;
    QRectF frame;
    bool isMain = false;

    bool operator==(const ShareableDisplay &) const = default;
};

// What could be recorded right now: windows (front to back), displays, running programs.
struct ShareableContent {
    std::vector<ShareableWindow> windows;
    std::vector<ShareableDisplay> displays;
    std::vector<RunningApplication> applications;
};

} // namespace murva
