#include "picture/I420Conversion.h"

namespace murva {
namespace {
// BT.601 limited range in 8-bit fixed point: Y = 16 + (66 R + 129 G + 25 B) / 256.
inline std::uint8_t lumaOf(const std::uint8_t *pixel)
{
    return std::uint8_t((66 * pixel[2] + 129 * pixel[1] + 25 * pixel[0] + 128 + (16 << 8)) >> 8);
}

void convertLumaRow(const std::uint8_t *__restrict pixels, std::uint8_t *__restrict luma, int width)
{
    for (int x = 0; x < width; ++x) {
        luma[x] = lumaOf(pixels + 4 * x);
    }
}

// The sums of four pixels carry two extra bits, so the shift is 10 rather than 8.
void convertChromaRow(const std::uint8_t *__restrict top, const std::uint8_t *__restrict bottom,
                      std::uint8_t *__restrict blue, std::uint8_t *__restrict red, int chromaWidth)
{
    for (int x = 0; x < chromaWidth; ++x) {
        const std::uint8_t *a = top + 8 * x;
        const std::uint8_t *b = bottom + 8 * x;
        const int sumB = a[0] + a[4] + b[0] + b[4];
        const int sumG = a[1] + a[5] + b[1] + b[5];
        const int sumR = a[2] + a[6] + b[2] + b[6];
        blue[x] = std::uint8_t((-38 * sumR - 74 * sumG + 112 * sumB + 512 + (128 << 10)) >> 10);
        red[x] = std::uint8_t((112 * sumR - 94 * sumG - 18 * sumB + 512 + (128 << 10)) >> 10);
    }
}
} // namespace

void convertToI420(const BgraImage &image, const I420Planes &target)
{
    for (int y = 0; y + 1 < image.height; y += 2) {
        const std::uint8_t *top = image.row(y);
        const std::uint8_t *bottom = image.row(y + 1);
        convertLumaRow(top, target.luma + long(y) * target.lumaStride, image.width);
        convertLumaRow(bottom, target.luma + long(y + 1) * target.lumaStride, image.width);
        const long chromaOffset = long(y / 2) * target.chromaStride;
        convertChromaRow(top, bottom, target.blue + chromaOffset, target.red + chromaOffset, image.width / 2);
    }
}

} // namespace murva
