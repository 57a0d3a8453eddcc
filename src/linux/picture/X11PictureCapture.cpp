#include "picture/X11PictureCapture.h"

#include "picture/FrameScaler.h"
#include "picture/TargetGrabber.h"

#include <xcb/composite.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace murva {
namespace {
constexpr std::int64_t kNanosecondsPerSec = 1'000'000'000;
constexpr std::int64_t kPicturesPerSec = 15;

std::int64_t monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t{now.tv_sec} * kNanosecondsPerSec + now.tv_nsec;
}

void sleepUntil(std::int64_t monotonicDeadlineNs)
{
    const timespec deadline{static_cast<time_t>(monotonicDeadlineNs / kNanosecondsPerSec),
                            static_cast<long>(monotonicDeadlineNs % kNanosecondsPerSec)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

// Picture n is due at origin + n / 15 s, so rounding never drifts the rate. After a
// stall the pictures that were missed are skipped rather than taken in a burst.
class PictureSchedule {
public:
    explicit PictureSchedule(std::int64_t originNs)
        : originNs_(originNs)
    {
    }

    std::int64_t nextDueNs(std::int64_t nowNs)
    {
        ++index_;
        if (dueNs(index_) <= nowNs) {
            index_ = (nowNs - originNs_) * kPicturesPerSec / kNanosecondsPerSec + 1;
        }
        return dueNs(index_);
    }

private:
    std::int64_t dueNs(std::int64_t index) const
    {
        return originNs_ + index * kNanosecondsPerSec / kPicturesPerSec;
    }

    std::int64_t originNs_;
    std::int64_t index_ = 0;
};

xcb_window_t rootWindow(xcb_connection_t *connection, int screenNumber)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; screens.rem > 0; ++index, xcb_screen_next(&screens)) {
        if (index == screenNumber) {
            return screens.data->root;
        }
    }
    return 0;
}

bool hasComposite(xcb_connection_t *connection)
{
    const xcb_query_extension_reply_t *composite = xcb_get_extension_data(connection, &xcb_composite_id);
    return composite != nullptr && composite->present;
}
} // namespace

X11PictureCapture::X11PictureCapture(QByteArray displayName)
    : displayName_(std::move(displayName))
{
}

X11PictureCapture::~X11PictureCapture()
{
    stop();
}

std::optional<QString> X11PictureCapture::start(const CaptureTarget &target, const QRectF &sourceRect,
                                                QSize frameSize, bool showsCursor, Callbacks callbacks)
{
    if (thread_.joinable()) {
        return QStringLiteral("picture capture is already running");
    }
    if (frameSize.width() < 2 || frameSize.height() < 2) {
        return QStringLiteral("frame size %1x%2 is too small").arg(frameSize.width()).arg(frameSize.height());
    }
    int screenNumber = 0;
    xcb_connection_t *connection =
        xcb_connect(displayName_.isEmpty() ? nullptr : displayName_.constData(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return QStringLiteral("cannot open the X display \"%1\"")
            .arg(QString::fromLocal8Bit(displayName_.isEmpty() ? qgetenv("DISPLAY") : displayName_));
    }
    if (target.isWindow() && !hasComposite(connection)) {
        xcb_disconnect(connection);
        return QStringLiteral("the X server has no Composite extension, which recording a window needs");
    }
    frameSize_ = frameSize;
    showsCursor_ = showsCursor;
    callbacks_ = std::move(callbacks);
    stopping_ = false;
    {
        const std::lock_guard lock(aimMutex_);
        pendingAim_ = Aim{target, sourceRect};
    }
    thread_ = std::thread(&X11PictureCapture::run, this, connection, screenNumber);
    return std::nullopt;
}

void X11PictureCapture::aim(const CaptureTarget &target, const QRectF &sourceRect)
{
    const std::lock_guard lock(aimMutex_);
    pendingAim_ = Aim{target, sourceRect};
}

void X11PictureCapture::stop()
{
    stopping_ = true;
    if (!thread_.joinable() || std::this_thread::get_id() == thread_.get_id()) {
        return;
    }
    thread_.join();
}

void X11PictureCapture::run(xcb_connection_t *connection, int screenNumber)
{
    {
        TargetGrabber grabber(connection, rootWindow(connection, screenNumber), showsCursor_);
        FrameScaler scaler(frameSize_);
        PictureSchedule schedule(monotonicNs());
        bool pictureDelivered = false;
        while (!stopping_ && takeOnePicture(connection, grabber, scaler, pictureDelivered)) {
            sleepUntil(schedule.nextDueNs(monotonicNs()));
        }
    } // the grabber gives the window back before the connection closes
    xcb_disconnect(connection);
}

void X11PictureCapture::applyPendingAim(TargetGrabber &grabber)
{
    std::optional<Aim> aim;
    {
        const std::lock_guard lock(aimMutex_);
        aim.swap(pendingAim_);
    }
    if (aim) {
        grabber.aim(aim->target, aim->sourceRect);
    }
}

bool X11PictureCapture::takeOnePicture(xcb_connection_t *connection, TargetGrabber &grabber,
                                       FrameScaler &scaler, bool &pictureDelivered)
{
    applyPendingAim(grabber);
    while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
        grabber.handle(event);
        std::free(event);
    }
    const std::int64_t takenNs = monotonicNs();
    const std::optional<BgraImage> image = grabber.grabChanged();
    if (image) {
        scaler.scale(*image);
    }
    if (xcb_connection_has_error(connection)) {
        if (!stopping_ && callbacks_.broken) {
            callbacks_.broken();
        }
        return false;
    }
    if (stopping_) {
        return false;
    }
    if (callbacks_.deliver) {
        // An unchanged picture goes out without its pixels: nothing to copy or encode.
        const bool fresh = image || !pictureDelivered;
        callbacks_.deliver(VideoFrame{takenNs, frameSize_.width(), frameSize_.height(),
                                      fresh ? scaler.frame() : std::vector<std::uint8_t>{}});
        pictureDelivered = true;
    }
    return true;
}

} // namespace murva
