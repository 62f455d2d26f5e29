#include <gtest/gtest.h>

#include "capture/FrameStorage.h"

using namespace kelmora;
using namespace kelmora::capture;

TEST(FrameStorage, RangeTest) {
    Settings s("/prog");
    s.setStartFrame("5");
    s.setStopFrame("8");
    EXPECT_TRUE(frameInRange(s, 1));  // range cleared: every frame
    s.setUseFrameRange(kChecked);
    for (int k = 1; k <= 10; ++k) EXPECT_EQ(frameInRange(s, k), k >= 5 && k <= 8) << k;
    s.setStartFrame("abc");
    EXPECT_TRUE(frameInRange(s, 1));
}
