#include "ObservedPorts.h"

namespace murva::test {

class ObservedSound final : public SoundCapture {
public:
    ObservedSound(std::unique_ptr<SoundCapture> inner, CaptureObserver &observer)
        : inner_(std::move(inner)), observer_(observer)
    {
    }

    std::optional<QString> start(Callbacks callbacks) override
    {
        auto deliver = std::move(callbacks.deliver);
        callbacks.deliver = [this, deliver, note = observer_.log_.callbacks().deliver](SoundBuffer buffer) {
            const std::lock_guard lock(observer_.order_);
            note(buffer);
            deliver(std::move(buffer));
        };
        return inner_->start(std::move(callbacks));
    }

    void stop() override { inner_->stop(); }

private:
    std::unique_ptr<SoundCapture> inner_;
    CaptureObserver &observer_;
};

CapturePorts CaptureObserver::observe(CapturePorts ports)
{
    ports.sound = std::make_unique<ObservedSound>(std::move(ports.sound), *this);
    return ports;
}

} // namespace murva::test
