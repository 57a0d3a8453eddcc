#include "turns/Rms.h"

#include <cassert>
#include <cmath>

namespace murva {

namespace {

float rootOfMean(float sumOfSquares, std::size_t count)
{
    return std::sqrt(sumOfSquares / static_cast<float>(count));
}

} // namespace

float rms(std::span<const float> samples)
{
    if (samples.empty())
        return 0.0f;
    float sum = 0.0f;
    for (float sample : samples)
        sum += sample * sample;
    return rootOfMean(sum, samples.size());
}

std::array<float, 2> rmsOfPair(std::span<const float> first, std::span<const float> second)
{
    assert(first.size() == second.size());
    if (first.empty())
        return {0.0f, 0.0f};
    float firstSum = 0.0f;
    float secondSum = 0.0f;
    for (std::size_t i = 0; i < first.size(); ++i) {
        firstSum += first[i] * first[i];
        secondSum += second[i] * second[i];
    }
    return {rootOfMean(firstSum, first.size()), rootOfMean(secondSum, second.size())};
}

} // namespace murva
