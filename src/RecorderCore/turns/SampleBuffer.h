#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace murva {

// One side's samples that the mixer has not handed out yet; element 0 is the first
// position not yet handed out.
//
// Taking from the front only moves a start index. The storage is compacted once the
// consumed part is at least as long as what is left, so each sample is moved about
// once at most and the storage follows what is held, not the length of the recording.
class SampleBuffer {
public:
    std::size_t size() const { return storage_.size() - start_; }
    const float *data() const { return storage_.data() + start_; }

    // Storage held, in samples, consumed part included.
    std::size_t capacity() const { return storage_.capacity(); }

    // Pads with silence up to `length` samples; never shortens.
    void extendTo(std::size_t length);

    // Sums `samples` into the buffer from `offset` on, padding with silence first as
    // needed. Samples that are not finite are taken as silence, and sums are kept
    // finite, so that a mix of the two sides can never produce a NaN.
    void addAt(std::size_t offset, std::span<const float> samples);

    // Forgets the first `count` samples (all of them if fewer are held).
    void dropFront(std::size_t count);

private:
    // Storage up to this size, a second of sound, is kept for reuse.
    static constexpr std::size_t keptCapacity = 48000;

    void releaseSpare();

    std::vector<float> storage_;
    std::size_t start_ = 0;
};

} // namespace murva
