#pragma once

#include <array>
#include <span>

namespace murva {

// Root mean square of a run of samples; 0 for an empty run. The squares are summed
// in 32-bit float in index order, so the result is reproducible to the bit: phrase
// edges depend on it.
float rms(std::span<const float> samples);

// `rms` of two runs of equal length, to the bit. Each sum is a chain of dependent
// additions; running the two chains side by side lets them overlap in the processor.
std::array<float, 2> rmsOfPair(std::span<const float> first, std::span<const float> second);

} // namespace murva
