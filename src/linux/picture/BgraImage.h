#pragma once

#include <cstdint>

namespace murva {

// A view of 32-bit pixels as the X server stores them on little-endian machines:
// blue, green, red, then a byte that is unused (or alpha for depth-32 windows).
struct BgraImage {
    std::uint8_t *pixels = nullptr;
    int width = 0;
    int height = 0;
    int strideBytes = 0;

    std::uint8_t *row(int y) const { return pixels + static_cast<long>(y) * strideBytes; }
};

} // namespace murva
