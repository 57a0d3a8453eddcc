#include "picture/CursorOverlay.h"

#include <xcb/xfixes.h>

#include <algorithm>
#include <cstdlib>

namespace murva {
namespace {
std::uint8_t over(std::uint32_t premultiplied, std::uint8_t below, std::uint32_t transparency)
{
    const std::uint32_t blended = premultiplied + (below * transparency + 127) / 255;
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(blended, 255));
}
} // namespace

void blendCursor(const BgraImage &image, QPoint topLeft, const std::uint32_t *argb, QSize cursorSize)
{
    const int firstRow = std::max(0, -topLeft.y());
    const int lastRow = std::min(cursorSize.height(), image.height - topLeft.y());
    const int firstColumn = std::max(0, -topLeft.x());
    const int lastColumn = std::min(cursorSize.width(), image.width - topLeft.x());
    for (int row = firstRow; row < lastRow; ++row) {
        const std::uint32_t *source = argb + static_cast<long>(row) * cursorSize.width();
        std::uint8_t *target = image.row(topLeft.y() + row) + 4L * topLeft.x();
        for (int column = firstColumn; column < lastColumn; ++column) {
            const std::uint32_t pixel = source[column];
            const std::uint32_t transparency = 255 - (pixel >> 24);
            if (transparency == 255) {
                continue;
            }
            std::uint8_t *bgr = target + 4L * column;
            bgr[0] = over(pixel & 0xff, bgr[0], transparency);
            bgr[1] = over((pixel >> 8) & 0xff, bgr[1], transparency);
            bgr[2] = over((pixel >> 16) & 0xff, bgr[2], transparency);
        }
    }
}

CursorOverlay::CursorOverlay(xcb_connection_t *connection)
    : connection_(connection)
{
    const xcb_query_extension_reply_t *xfixes = xcb_get_extension_data(connection_, &xcb_xfixes_id);
    if (xfixes == nullptr || !xfixes->present) {
        return;
    }
    // XFixes answers nothing else until the client has said which version it speaks.
    xcb_xfixes_query_version_reply_t *version = xcb_xfixes_query_version_reply(
        connection_, xcb_xfixes_query_version(connection_, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr);
    available_ = version != nullptr;
    std::free(version);
}

bool CursorOverlay::refresh()
{
    if (!available_) {
        return false;
    }
    std::unique_ptr<xcb_xfixes_get_cursor_image_reply_t, FreeReply> read(xcb_xfixes_get_cursor_image_reply(
        connection_, xcb_xfixes_get_cursor_image(connection_), nullptr));
    const bool changed = !read != !cursor_
        || (read && (read->x != cursor_->x || read->y != cursor_->y || read->cursor_serial != cursor_->cursor_serial));
    cursor_ = std::move(read);
    return changed;
}

void CursorOverlay::drawInto(const BgraImage &image, QPoint origin) const
{
    if (!cursor_) {
        return;
    }
    const QPoint hotSpotInRoot(cursor_->x, cursor_->y);
    const QPoint topLeft = hotSpotInRoot - QPoint(cursor_->xhot, cursor_->yhot) - origin;
    blendCursor(image, topLeft, xcb_xfixes_get_cursor_image_cursor_image(cursor_.get()),
                QSize(cursor_->width, cursor_->height));
}

} // namespace murva
