#pragma once

#include "capture/PictureCapture.h"

#include <QByteArray>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

struct xcb_connection_t;

namespace murva {

class TargetGrabber;
class FrameScaler;

// Pictures of an X11 window (through its Composite pixmap, so covered windows are
// recorded too) or of a display's rectangle of the screen (with the pointer from XFixes).
//
// A grabbing thread of its own, with an X connection of its own, hands over 15 frames a
// second on a steady CLOCK_MONOTONIC schedule. The target is read and scaled into the
// frame size only when the X Damage extension (or the pointer, on a display) says that
// it changed; otherwise the frame repeats the previous picture without pixels.
// Threading and lifetime of the callbacks:
// - `deliver` runs on the grabbing thread once per frame; the first frame always holds
//   pixels. When the window is unmapped or gone, the last picture is repeated (black
//   before the first one).
// - `broken` runs on the grabbing thread at most once, when the X connection breaks;
//   no `deliver` follows it.
// - Neither runs once stop() has returned. A callback that calls stop() itself only
//   asks the thread to end; the next stop() from another thread (or the destructor) joins it.
class X11PictureCapture final : public PictureCapture {
public:
    // `displayName` names the X display to read (":1"); empty means $DISPLAY.
    explicit X11PictureCapture(QByteArray displayName = {});
    ~X11PictureCapture() override;

    std::optional<QString> start(const CaptureTarget &target, const QRectF &sourceRect,
                                 QSize frameSize, bool showsCursor, Callbacks callbacks) override;
    void aim(const CaptureTarget &target, const QRectF &sourceRect) override;
    void stop() override;

private:
    struct Aim {
        CaptureTarget target;
        QRectF sourceRect;
    };

    void run(xcb_connection_t *connection, int screenNumber);
    void applyPendingAim(TargetGrabber &grabber);
    bool takeOnePicture(xcb_connection_t *connection, TargetGrabber &grabber, FrameScaler &scaler,
                        bool &pictureDelivered);

    QByteArray displayName_;
    QSize frameSize_;
    bool showsCursor_ = false;
    Callbacks callbacks_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::mutex aimMutex_;
    std::optional<Aim> pendingAim_;
};

} // namespace murva
