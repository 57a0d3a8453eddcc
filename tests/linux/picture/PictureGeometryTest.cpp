#include "picture/CursorOverlay.h"
#include "picture/FrameScaler.h"
#include "picture/I420Conversion.h"
#include "picture/TargetGrabber.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace murva {
namespace {

TEST(LetterboxTest, KeepsTheAspectRatioCentredOnEvenCoordinates)
{
    EXPECT_EQ(letterboxRect({640, 480}, {1280, 720}), QRect(160, 0, 960, 720));
    EXPECT_EQ(letterboxRect({1920, 1080}, {1280, 720}), QRect(0, 0, 1280, 720));
    EXPECT_EQ(letterboxRect({1000, 2000}, {1280, 720}), QRect(460, 0, 360, 720));
    EXPECT_EQ(letterboxRect({2560, 600}, {1280, 720}), QRect(0, 210, 1280, 300));

    const QSize frame(1280, 718);
    for (int width = 1; width < 4000; width += 37) {
        for (int height = 1; height < 3000; height += 53) {
            const QRect placed = letterboxRect({width, height}, frame);
            SCOPED_TRACE(testing::Message() << width << "x" << height << " -> " << placed.x() << ","
                                            << placed.y() << " " << placed.width() << "x" << placed.height());
            ASSERT_TRUE(QRect(QPoint(0, 0), frame).contains(placed));
            ASSERT_EQ(placed.x() % 2, 0);
            ASSERT_EQ(placed.y() % 2, 0);
            ASSERT_EQ(placed.width() % 2, 0);
            ASSERT_EQ(placed.height() % 2, 0);
            // As large as fits: one side fills the frame, up to the rounding to even.
            ASSERT_TRUE(placed.width() >= frame.width() - 2 || placed.height() >= frame.height() - 2);
        }
    }
}

TEST(CroppedAreaTest, KeepsThePartInsideTheTargetAndAllOfItOtherwise)
{
    const QSize window(800, 600);
    EXPECT_EQ(croppedArea(QRectF(), window), QRect(0, 0, 800, 600));
    EXPECT_EQ(croppedArea(QRectF(0, 100, 800, 500), window), QRect(0, 100, 800, 500));
    EXPECT_EQ(croppedArea(QRectF(0, 100, 800, 900), window), QRect(0, 100, 800, 500));
    EXPECT_EQ(croppedArea(QRectF(0.5, 99.5, 100, 100), window), QRect(0, 99, 101, 101));
    // A rectangle past the window (the window shrank since it was measured) keeps it whole.
    EXPECT_EQ(croppedArea(QRectF(900, 0, 100, 100), window), QRect(0, 0, 800, 600));
}

// A 10x10 buffer whose inner 6x6 pixels are the image: blending must never touch the margin.
struct FramedImage {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(10 * 10 * 4, 0x55);
    BgraImage inner{bytes.data() + (2 * 10 + 2) * 4, 6, 6, 10 * 4};

    std::array<int, 3> bgr(int x, int y) const
    {
        const std::uint8_t *pixel = bytes.data() + (y * 10 + x) * 4;
        return {pixel[0], pixel[1], pixel[2]};
    }
};

TEST(BlendCursorTest, AddsPremultipliedColourOverWhatIsBelow)
{
    FramedImage image;
    // Opaque red, half-covering white (premultiplied: 128,128,128 at alpha 128), transparent.
    const std::uint32_t cursor[3] = {0xffff0000, 0x80808080, 0x00000000};
    std::fill_n(image.inner.row(1), 4 * 3, 0xff); // a white row below the second pixel
    blendCursor(image.inner, QPoint(0, 0), cursor, QSize(3, 1));
    blendCursor(image.inner, QPoint(0, 1), cursor, QSize(3, 1));

    EXPECT_EQ(image.bgr(2, 2), (std::array<int, 3>{0, 0, 255}));
    EXPECT_EQ(image.bgr(3, 2), (std::array<int, 3>{128 + 0x2a, 128 + 0x2a, 128 + 0x2a}));
    EXPECT_EQ(image.bgr(4, 2), (std::array<int, 3>{0x55, 0x55, 0x55}));
    EXPECT_EQ(image.bgr(3, 3), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(image.bgr(4, 3), (std::array<int, 3>{255, 255, 255}));
}

TEST(BlendCursorTest, CutsOffWhatFallsOutsideTheImage)
{
    FramedImage image;
    const std::vector<std::uint32_t> opaqueRed(4 * 4, 0xffff0000);
    for (const QPoint topLeft : {QPoint(-2, -2), QPoint(4, 4), QPoint(-3, 5), QPoint(100, -100)}) {
        blendCursor(image.inner, topLeft, opaqueRed.data(), QSize(4, 4));
    }
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 2 && x < 8 && y >= 2 && y < 8;
            const bool underCursor = (x < 4 && y < 4) || (x >= 6 && y >= 6) || (x < 3 && y >= 7);
            const std::array<int, 3> expected = inside && underCursor ? std::array<int, 3>{0, 0, 255}
                                                                      : std::array<int, 3>{0x55, 0x55, 0x55};
            EXPECT_EQ(image.bgr(x, y), expected) << "at " << x << "," << y;
        }
    }
}

using Bgr = std::array<std::uint8_t, 3>;

std::vector<std::uint8_t> bgrxPixels(const std::vector<Bgr> &colours)
{
    std::vector<std::uint8_t> bytes;
    for (const Bgr &colour : colours) {
        bytes.insert(bytes.end(), {colour[0], colour[1], colour[2], 0xff});
    }
    return bytes;
}

TEST(I420ConversionTest, GivesBt601LimitedRangeWithChromaAveragedOverEachBlock)
{
    const Bgr black{0, 0, 0}, white{255, 255, 255}, red{0, 0, 255}, blue{255, 0, 0};
    struct Row {
        const char *name;
        std::vector<Bgr> block; // top left, top right, bottom left, bottom right
        std::array<int, 4> luma;
        int u, v;
    } rows[] = {
        {"black", {black, black, black, black}, {16, 16, 16, 16}, 128, 128},
        {"white", {white, white, white, white}, {235, 235, 235, 235}, 128, 128},
        {"red", {red, red, red, red}, {81, 81, 81, 81}, 90, 240},
        {"green", {{0, 255, 0}, {0, 255, 0}, {0, 255, 0}, {0, 255, 0}}, {145, 145, 145, 145}, 54, 34},
        {"blue", {blue, blue, blue, blue}, {41, 41, 41, 41}, 240, 110},
        {"black and white", {black, white, white, black}, {16, 235, 235, 16}, 128, 128},
        {"half red, half blue", {red, blue, red, blue}, {81, 41, 81, 41}, 165, 175},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        // A stride wider than the row, with a colour in the gap that must never show.
        std::vector<std::uint8_t> bytes = bgrxPixels({row.block[0], row.block[1], white, row.block[2], row.block[3]});
        BgraImage image{bytes.data(), 2, 2, 12};
        std::array<std::uint8_t, 4> luma{};
        std::uint8_t u = 0, v = 0;
        convertToI420(image, {luma.data(), 2, &u, &v, 1});
        for (int at = 0; at < 4; ++at) {
            EXPECT_NEAR(luma[at], row.luma[at], 1) << "pixel " << at;
        }
        EXPECT_NEAR(u, row.u, 1);
        EXPECT_NEAR(v, row.v, 1);
    }
}

// A picture as wide as the frame but shorter needs no scaling: it is converted straight
// into the middle rows, and the bars above and below stay black.
TEST(FrameScalerTest, PutsAnUnscaledPictureBetweenBlackBars)
{
    FrameScaler scaler({4, 8});
    std::vector<std::uint8_t> bytes = bgrxPixels(std::vector<Bgr>(4 * 4, Bgr{255, 255, 255}));
    scaler.scale(BgraImage{bytes.data(), 4, 4, 16});
    const std::vector<std::uint8_t> &frame = scaler.frame();
    for (int y = 0; y < 8; ++y) {
        const bool picture = y >= 2 && y < 6;
        EXPECT_NEAR(frame[std::size_t(y) * 4], picture ? 235 : 16, 1) << "row " << y;
        EXPECT_NEAR(frame[32 + std::size_t(y / 2) * 2], 128, 1) << "chroma row " << y / 2;
    }
}

} // namespace
} // namespace murva
