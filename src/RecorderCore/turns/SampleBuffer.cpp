#include "turns/SampleBuffer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace murva {

namespace {

constexpr float largest = std::numeric_limits<float>::max();

// Written as a comparison rather than std::isfinite so that the loop below vectorises;
// NaN fails the comparison too.
float finiteOrSilence(float sample)
{
    return std::abs(sample) <= largest ? sample : 0.0f;
}

} // namespace

void SampleBuffer::extendTo(std::size_t length)
{
    if (size() < length)
        storage_.resize(start_ + length, 0.0f);
}

void SampleBuffer::addAt(std::size_t offset, std::span<const float> samples)
{
    // Only the part that meets samples already held needs summing (and keeping finite);
    // the rest, usually the whole chunk, lands on fresh silence.
    const std::size_t held = size();
    const std::size_t overlap = offset < held ? std::min(held - offset, samples.size()) : 0;
    extendTo(offset + samples.size());
    float *target = storage_.data() + start_ + offset;
    for (std::size_t i = 0; i < overlap; ++i)
        target[i] = std::clamp(target[i] + finiteOrSilence(samples[i]), -largest, largest);
    for (std::size_t i = overlap; i < samples.size(); ++i)
        target[i] = finiteOrSilence(samples[i]);
}

void SampleBuffer::dropFront(std::size_t count)
{
    if (count >= size()) {
        storage_.clear();
        start_ = 0;
    } else {
        start_ += count;
        if (start_ < size())
            return;
        storage_.erase(storage_.begin(), storage_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    releaseSpare();
}

// clear() and erase() keep the capacity: after a burst, such as a side that ran seconds
// ahead, the storage would stay that large for the rest of the recording.
void SampleBuffer::releaseSpare()
{
    if (storage_.capacity() > keptCapacity && storage_.capacity() > 2 * storage_.size())
        std::vector<float>(storage_.begin(), storage_.end()).swap(storage_);
}

} // namespace murva
