// The render hook's contract with the player and its frame counters.
#include "tests/support/player.h"

namespace {

using FrameTest = PlayerTest;

TEST_F(FrameTest, EveryFrameAnswersZeroAndCountsItself) {
    load(seamLibrary);
    ASSERT_EQ(start(), 0);
    DravikTestAccess& inner = access();
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(frame(), 0);
        EXPECT_EQ(*inner.frameClock, static_cast<float>(i));
    }
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(quitPosted);
}

TEST_F(FrameTest, FrameClockStopsAtTwoToTheTwentyFour) {
    load(seamLibrary);
    ASSERT_EQ(start(), 0);
    *access().frameClock = 16777215.0f;
    frame();
    EXPECT_EQ(*access().frameClock, 16777216.0f);
    frame();
    EXPECT_EQ(*access().frameClock, 16777216.0f);
}

TEST_F(FrameTest, CountersCarryOverIntoASecondStart) {
    load(seamLibrary);
    ASSERT_EQ(start(), 0);
    frame();
    frame();
    quit();
    ASSERT_EQ(start(), 0);
    frame();
    EXPECT_EQ(*access().frameClock, 3.0f);
}

}  // namespace
