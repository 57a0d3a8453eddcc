#include "media/EncodePacing.h"

#include <gtest/gtest.h>

namespace murva {
namespace {

using Decision = EncodePacing::Decision;

struct Step {
    double atSec;
    bool repeat;
    Decision expected;
};

// Ticks of 1/1000 s; key frames at least every 4 s.
void expectDecisions(const std::vector<Step> &steps)
{
    EncodePacing pacing(1000, 4);
    for (const Step &step : steps) {
        EXPECT_EQ(pacing.next(std::int64_t(step.atSec * 1000), step.repeat), step.expected) << "at " << step.atSec;
    }
}

TEST(EncodePacingTest, RepeatsGoForASecondAfterAChangeThenOnceASecond)
{
    expectDecisions({
        {0.0, true, Decision::skip}, // nothing to repeat yet
        {0.1, false, Decision::encodeKeyFrame},
        {0.5, true, Decision::encode},
        {1.05, true, Decision::encode},
        {1.1, true, Decision::skip},
        {2.0, true, Decision::skip},
        {2.05, true, Decision::encode},
        {2.5, false, Decision::encode},
        {3.4, true, Decision::encode},
    });
}

TEST(EncodePacingTest, KeyFramesComeEveryFourSecondsByTime)
{
    expectDecisions({
        {0.0, false, Decision::encodeKeyFrame},
        {1.0, true, Decision::encode},
        {2.0, true, Decision::encode},
        {3.0, true, Decision::encode},
        {3.9, false, Decision::encode},
        {4.0, false, Decision::encodeKeyFrame},
        {5.0, true, Decision::encode},
        {8.0, true, Decision::encodeKeyFrame},
    });
}

} // namespace
} // namespace murva
