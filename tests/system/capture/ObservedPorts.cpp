#include "ObservedPorts.h"

#include <cmath>

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
        callbacks.deliver = [this, deliver](SoundBuffer buffer) {
            const std::lock_guard lock(observer_.mutex_);
            observer_.sound_.push_back(buffer);
            deliver(std::move(buffer));
        };
        return inner_->start(std::move(callbacks));
    }

    void stop() override { inner_->stop(); }

private:
    std::unique_ptr<SoundCapture> inner_;
    CaptureObserver &observer_;
};

std::optional<std::int64_t> CaptureObserver::firstLoudNs(Side side, std::int64_t fromNs, float threshold) const
{
    const std::lock_guard lock(mutex_);
    for (const SoundBuffer &buffer : sound_) {
        if (buffer.side != side) {
            continue;
        }
        for (std::size_t i = 0; i < buffer.samples.size(); ++i) {
            const std::int64_t atNs = buffer.monotonicNs + std::int64_t(i) * 1'000'000'000 / 48000;
            if (atNs >= fromNs && std::abs(buffer.samples[i]) > threshold) {
                return atNs;
            }
        }
    }
    return std::nullopt;
}

int CaptureObserver::soundBuffers(Side side) const
{
    const std::lock_guard lock(mutex_);
    return int(std::count_if(sound_.begin(), sound_.end(), [side](const SoundBuffer &b) { return b.side == side; }));
}

CapturePorts CaptureObserver::observe(CapturePorts ports)
{
    ports.sound = std::make_unique<ObservedSound>(std::move(ports.sound), *this);
    return ports;
}

} // namespace murva::test
