#pragma once

#include "capture/Capture.h"

#include <QCoroTask>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace murva {

// What the recording flow needs of one capture; `CaptureAdapter` puts a `Capture` behind
// it, tests put a fake.
class RecordingCapture {
public:
    virtual ~RecordingCapture() = default;

    // May be called on any thread, at most once; set before `begin`.
    virtual void setOnBroken(std::function<void()> onBroken) = 0;
    virtual void setDisplays(std::vector<ShareableDisplay> displays) = 0;
    // Throws CaptureError.
    virtual QCoro::Task<> begin(const CaptureTarget &target, const std::optional<RunningApplication> &excluding) = 0;
    virtual void aim(const CaptureTarget &target, const std::optional<RunningApplication> &excluding) = 0;
    virtual std::optional<Aimed> aimed() const = 0;
    virtual QCoro::Task<CaptureResult> end() = 0;
};

// Makes the capture of one recording: the file's path and whether to record the picture.
using CaptureFactory = std::function<std::unique_ptr<RecordingCapture>(const QString &path, bool withVideo)>;

// The real capture behind the flow's port.
class CaptureAdapter : public RecordingCapture {
public:
    explicit CaptureAdapter(std::unique_ptr<Capture> capture) : capture_(std::move(capture)) {}

    void setOnBroken(std::function<void()> onBroken) override { capture_->onBroken = std::move(onBroken); }
    void setDisplays(std::vector<ShareableDisplay> displays) override { capture_->displays = std::move(displays); }
    QCoro::Task<> begin(const CaptureTarget &target, const std::optional<RunningApplication> &excluding) override
    {
        return capture_->begin(target, excluding);
    }
    void aim(const CaptureTarget &target, const std::optional<RunningApplication> &excluding) override
    {
        capture_->aim(target, excluding);
    }
    std::optional<Aimed> aimed() const override { return capture_->aimed(); }
    QCoro::Task<CaptureResult> end() override { return capture_->end(); }

private:
    std::unique_ptr<Capture> capture_;
};

// A factory of real captures over the given ports (the Linux adapters in the app).
inline CaptureFactory captureFactory(std::function<CapturePorts(bool withVideo)> ports)
{
    return [ports = std::move(ports)](const QString &path, bool withVideo) -> std::unique_ptr<RecordingCapture> {
        return std::make_unique<CaptureAdapter>(std::make_unique<Capture>(path, withVideo, ports(withVideo)));
    };
}

} // namespace murva
