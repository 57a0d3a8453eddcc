#include "picture/ImageGrabber.h"

#include <sys/ipc.h>
#include <sys/shm.h>

namespace murva {
namespace {
constexpr std::size_t kSegmentGranuleBytes = std::size_t{1} << 20;

bool holds32BitPixels(std::size_t bytes, const QRect &area)
{
    return bytes == static_cast<std::size_t>(area.width()) * area.height() * 4;
}
} // namespace

ImageGrabber::ImageGrabber(xcb_connection_t *connection)
    : connection_(connection)
{
    const xcb_query_extension_reply_t *shm = xcb_get_extension_data(connection_, &xcb_shm_id);
    if (shm == nullptr || !shm->present) {
        return;
    }
    xcb_shm_query_version_reply_t *version =
        xcb_shm_query_version_reply(connection_, xcb_shm_query_version(connection_), nullptr);
    segmentUsable_ = version != nullptr;
    std::free(version);
}

ImageGrabber::~ImageGrabber()
{
    releaseSegment();
}

std::optional<BgraImage> ImageGrabber::grab(xcb_drawable_t drawable, const QRect &area)
{
    if (area.isEmpty()) {
        return std::nullopt;
    }
    const std::size_t bytes = static_cast<std::size_t>(area.width()) * area.height() * 4;
    if (segmentUsable_ && ensureSegment(bytes)) {
        return grabShared(drawable, area);
    }
    return grabThroughSocket(drawable, area);
}

std::optional<BgraImage> ImageGrabber::grabShared(xcb_drawable_t drawable, const QRect &area)
{
    xcb_generic_error_t *error = nullptr;
    xcb_shm_get_image_reply_t *reply = xcb_shm_get_image_reply(
        connection_,
        xcb_shm_get_image(connection_, drawable, area.x(), area.y(), area.width(), area.height(),
                          ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, segment_, 0),
        &error);
    std::free(error);
    const bool usable = reply != nullptr && holds32BitPixels(reply->size, area);
    std::free(reply);
    if (!usable) {
        return std::nullopt;
    }
    return BgraImage{segmentPixels_, area.width(), area.height(), area.width() * 4};
}

std::optional<BgraImage> ImageGrabber::grabThroughSocket(xcb_drawable_t drawable, const QRect &area)
{
    xcb_generic_error_t *error = nullptr;
    socketReply_.reset(xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, area.x(), area.y(),
                      area.width(), area.height(), ~0u),
        &error));
    std::free(error);
    if (!socketReply_ || !holds32BitPixels(xcb_get_image_data_length(socketReply_.get()), area)) {
        return std::nullopt;
    }
    return BgraImage{xcb_get_image_data(socketReply_.get()), area.width(), area.height(),
                     area.width() * 4};
}

bool ImageGrabber::ensureSegment(std::size_t bytes)
{
    if (bytes <= segmentBytes_) {
        return true;
    }
    releaseSegment();
    const std::size_t size = (bytes + kSegmentGranuleBytes - 1) / kSegmentGranuleBytes * kSegmentGranuleBytes;
    // Only this user (and the X server when it runs as root) may read the screen's pixels.
    const int id = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (id < 0) {
        segmentUsable_ = false;
        return false;
    }
    void *address = shmat(id, nullptr, 0);
    xcb_generic_error_t *error = nullptr;
    if (address != reinterpret_cast<void *>(-1)) {
        segment_ = xcb_generate_id(connection_);
        error = xcb_request_check(connection_, xcb_shm_attach_checked(connection_, segment_, id, 0));
    }
    // Marked for removal at once: the segment then vanishes with the last process
    // attached to it, even if this one is killed.
    shmctl(id, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void *>(-1) || error != nullptr) {
        // A server on another machine or in another IPC namespace cannot attach.
        std::free(error);
        if (address != reinterpret_cast<void *>(-1)) {
            shmdt(address);
        }
        segment_ = 0;
        segmentUsable_ = false;
        return false;
    }
    segmentPixels_ = static_cast<std::uint8_t *>(address);
    segmentBytes_ = size;
    return true;
}

void ImageGrabber::releaseSegment()
{
    if (segmentPixels_ == nullptr) {
        return;
    }
    xcb_shm_detach(connection_, segment_);
    xcb_flush(connection_);
    shmdt(segmentPixels_);
    segmentPixels_ = nullptr;
    segmentBytes_ = 0;
    segment_ = 0;
}

} // namespace murva
