#include "SyntheticMedia.h"

#include "capture/MediaWriter.h"

#include <cmath>
#include <numbers>

namespace murva {
namespace {
constexpr int kSamplesPerFrame = SyntheticMedia::kSampleRate / SyntheticMedia::kFramesPerSec;

std::size_t lumaBytes(QSize size)
{
    return std::size_t(size.width()) * std::size_t(size.height());
}
} // namespace

SyntheticMedia::SyntheticMedia(QSize frameSize)
    : size_(frameSize)
{
    if (size_.isEmpty()) {
        return;
    }
    // Rows of dark "words" on a light page, with a grey chroma.
    page_.assign(lumaBytes(size_) * 3 / 2, 128);
    std::uint32_t random = 12345;
    for (int y = 0; y < size_.height(); ++y) {
        for (int x = 0; x < size_.width(); ++x) {
            const bool textRow = (y / 6) % 3 == 1;
            if (x % 48 == 0) {
                random = random * 1664525u + 1013904223u;
            }
            const bool word = textRow && (random >> 28) > 4 && (x % 48) < 40;
            page_[std::size_t(y) * std::size_t(size_.width()) + std::size_t(x)] = word ? 40 : 235;
        }
    }
}

VideoFrame SyntheticMedia::frame(int index) const
{
    VideoFrame picture;
    picture.width = size_.width();
    picture.height = size_.height();
    picture.i420 = page_;
    const int width = size_.width();
    const int height = size_.height();
    auto luma = [&](int x, int y) -> std::uint8_t & {
        return picture.i420[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    };
    // A camera tile in the top-right quarter, changing everywhere in every picture.
    for (int y = 0; y < height / 4; ++y) {
        for (int x = width * 3 / 4; x < width; ++x) {
            luma(x, y) = std::uint8_t(((x + 3 * index) ^ (y - 2 * index)) * 5);
        }
    }
    // A pointer-sized box sliding across the page.
    const int boxX = (index * 8) % std::max(1, width - 32);
    const int boxY = height / 2;
    for (int y = boxY; y < std::min(height, boxY + 32); ++y) {
        for (int x = boxX; x < boxX + 32 && x < width; ++x) {
            luma(x, y) = 16;
        }
    }
    return picture;
}

std::vector<float> SyntheticMedia::tone(std::int64_t firstSample, std::size_t count) const
{
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = double(firstSample + std::int64_t(i)) / kSampleRate;
        samples[i] = float(0.2 * std::sin(2 * std::numbers::pi * 440 * t) + 0.1 * std::sin(2 * std::numbers::pi * 1230 * t));
    }
    return samples;
}

bool SyntheticMedia::write(MediaWriter &writer, int seconds, const std::function<void(int)> &afterSecond) const
{
    const bool withPictures = !size_.isEmpty();
    for (int index = 0; index < seconds * kFramesPerSec; ++index) {
        if (withPictures && !writer.appendVideo(double(index) / kFramesPerSec, frame(index))) {
            return false;
        }
        const std::int64_t firstSample = std::int64_t(index) * kSamplesPerFrame;
        const std::vector<float> samples = tone(firstSample, kSamplesPerFrame);
        if (!writer.appendAudio(firstSample, samples.data(), samples.size())) {
            return false;
        }
        if ((index + 1) % kFramesPerSec == 0 && afterSecond) {
            afterSecond((index + 1) / kFramesPerSec);
        }
    }
    return true;
}

} // namespace murva
