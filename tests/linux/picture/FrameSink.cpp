#include "FrameSink.h"

#include <cstdlib>

namespace murva::test {

Rgb colourAt(const VideoFrame &frame, QPoint point)
{
    const int chromaWidth = (frame.width + 1) / 2;
    const int chromaHeight = (frame.height + 1) / 2;
    const std::uint8_t *luma = frame.i420.data();
    const std::uint8_t *blue = luma + frame.width * frame.height;
    const std::uint8_t *red = blue + chromaWidth * chromaHeight;
    const double y = 1.164 * (luma[point.y() * frame.width + point.x()] - 16);
    const int chroma = (point.y() / 2) * chromaWidth + point.x() / 2;
    const double u = blue[chroma] - 128;
    const double v = red[chroma] - 128;
    return Rgb{int(y + 1.596 * v), int(y - 0.392 * u - 0.813 * v), int(y + 2.017 * u)};
}

bool near(Rgb colour, std::uint32_t rgb, int tolerance)
{
    return std::abs(colour.red - int((rgb >> 16) & 0xff)) <= tolerance
        && std::abs(colour.green - int((rgb >> 8) & 0xff)) <= tolerance
        && std::abs(colour.blue - int(rgb & 0xff)) <= tolerance;
}

PictureCapture::Callbacks FrameSink::callbacks()
{
    return {[this](VideoFrame frame) { deliver(std::move(frame)); }, [this] { broken(); }};
}

void FrameSink::deliver(VideoFrame frame)
{
    const std::lock_guard lock(mutex_);
    if (brokenCount_ > 0) {
        ++framesAfterBroken_;
    }
    stamps_.push_back(frame.monotonicNs);
    if (frame.repeatsPrevious()) {
        latest_.monotonicNs = frame.monotonicNs; // the picture stays
    } else {
        latest_ = std::move(frame);
    }
    changed_.notify_all();
}

void FrameSink::broken()
{
    const std::lock_guard lock(mutex_);
    ++brokenCount_;
    changed_.notify_all();
}

bool FrameSink::waitFor(const std::function<bool(const VideoFrame &)> &wanted,
                        std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    std::size_t seen = stamps_.size();
    return changed_.wait_for(lock, timeout, [&] {
        if (stamps_.size() == seen) {
            return false;
        }
        seen = stamps_.size();
        return wanted(latest_);
    });
}

bool FrameSink::waitForMore(int count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    const std::size_t wanted = stamps_.size() + count;
    return changed_.wait_for(lock, timeout, [&] { return stamps_.size() >= wanted; });
}

bool FrameSink::waitForBroken(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return brokenCount_ > 0; });
}

VideoFrame FrameSink::latest()
{
    const std::lock_guard lock(mutex_);
    return latest_;
}

std::vector<std::int64_t> FrameSink::stamps()
{
    const std::lock_guard lock(mutex_);
    return stamps_;
}

int FrameSink::frameCount()
{
    const std::lock_guard lock(mutex_);
    return int(stamps_.size());
}

int FrameSink::brokenCount()
{
    const std::lock_guard lock(mutex_);
    return brokenCount_;
}

int FrameSink::framesAfterBroken()
{
    const std::lock_guard lock(mutex_);
    return framesAfterBroken_;
}

} // namespace murva::test
