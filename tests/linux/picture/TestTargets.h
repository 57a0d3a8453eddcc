#pragma once

#include "capture/CaptureTarget.h"
#include "FrameSink.h"
#include "support/PrivateServers.h"

#include <xcb/xcb.h>

#include <cstdint>

namespace murva::test {

constexpr std::uint32_t kRed = 0xc83232;
constexpr std::uint32_t kGreen = 0x32c832;
constexpr std::uint32_t kBlue = 0x3232c8;
constexpr std::uint32_t kWhite = 0xffffff;
constexpr std::uint32_t kBlack = 0x000000;

inline CaptureTarget windowTarget(xcb_window_t window, const QRect &frame)
{
    ShareableWindow shareable;
    shareable.windowID = window;
    shareable.frame = frame;
    shareable.isOnScreen = true;
    return CaptureTarget{shareable};
}

inline CaptureTarget displayTarget(const QRect &frame)
{
    return CaptureTarget{ShareableDisplay{1, frame, true}};
}

inline auto colourIs(QPoint point, std::uint32_t rgb)
{
    return [=](const VideoFrame &frame) { return near(colourAt(frame, point), rgb); };
}

} // namespace murva::test
