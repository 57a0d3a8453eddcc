#pragma once

#include "picture/BgraImage.h"

#include <cstdint>

namespace murva {

// Where an I420 picture goes: a luma plane and two half-size chroma planes.
struct I420Planes {
    std::uint8_t *luma = nullptr;
    int lumaStride = 0;
    std::uint8_t *blue = nullptr; // U
    std::uint8_t *red = nullptr;  // V
    int chromaStride = 0;
};

// Converts a picture of even width and height into I420 of the same size, in BT.601
// limited range as libswscale makes it, each chroma sample the mean of its 2x2 block.
// A window recorded at the frame's own size needs no scaling, and this plain loop,
// vectorised by the compiler, costs under half of libswscale's general path.
void convertToI420(const BgraImage &image, const I420Planes &target);

} // namespace murva
