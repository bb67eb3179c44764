// The refresh throttle and the frame rate in the title bar, on a clock the
// test drives through the test build's tick counter.
#include "tests/support/pixels.h"
#include "tests/support/player.h"

#include <cstring>
#include <string>

namespace {

constexpr DWORD hours = 3600u * 1000u;
const char untouched[] = "untouched";

class FrameRateTest : public PlayerTest {
protected:
    void startAt(DWORD tick) {
        load(seamLibrary);
        access().platform->GetTickCount = readTestTick;
        testTick = tick;
        ASSERT_EQ(start(), 0);
    }

    std::string title() {
        char text[256] = {};
        GetWindowTextA(*access().mainWindow, text, sizeof text);
        return text;
    }

    // Renders one frame at the tick; true when it refreshed, which is when it
    // replaced the title that the test put there.
    bool frameAt(DWORD tick) {
        testTick = tick;
        SetWindowTextA(*access().mainWindow, untouched);
        frame();
        return title() != untouched;
    }
};

TEST_F(FrameRateTest, FirstFrameAfterLoadCountsTheWholeUpTime) {
    struct Case {
        DWORD upTime;
        const char* title;  // null: not due
    };
    const Case cases[] = {
        {20, nullptr},  // exactly the interval: not yet
        {21, "Gyroquad - 47.62 FPS"},
        {500, "Gyroquad - 2.00 FPS"},
        {600 * hours, "Gyroquad - 0.00 FPS"},
        {0xFFFFFFFFu, "Gyroquad - 0.00 FPS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.upTime);
        startAt(c.upTime);
        EXPECT_EQ(frameAt(c.upTime), c.title != nullptr);
        EXPECT_EQ(title(), c.title ? c.title : untouched);
        EXPECT_EQ(*access().framesSinceRefresh, c.title ? 0.0 : 1.0);
        EXPECT_EQ(*access().lastRefreshTick, c.title ? c.upTime : 0u);
        unload();
    }
}

// The same run of frames at three up-times: early, after 600 hours, where a
// float of seconds steps by minutes, and astride the counter's wrap.
TEST_F(FrameRateTest, RefreshesComeMoreThanTwentyMillisecondsApartAtAnyUpTime) {
    struct Step {
        DWORD after;        // milliseconds after the first frame
        const char* title;  // null: not due
    };
    const Step steps[] = {
        {10, nullptr},
        {20, nullptr},
        {21, "Gyroquad - 142.86 FPS"},  // three frames in 21 ms
        {46, "Gyroquad - 40.00 FPS"},   // one frame in 25 ms
        {66, nullptr},
        {67, "Gyroquad - 95.24 FPS"},   // two frames in 21 ms
        {1067, "Gyroquad - 1.00 FPS"},
    };
    for (DWORD base : {DWORD{1000}, DWORD{600 * hours}, DWORD{0xFFFFFFFFu - 15}}) {
        SCOPED_TRACE(base);
        startAt(base);
        ASSERT_TRUE(frameAt(base));
        double frames = 0;
        for (const Step& step : steps) {
            SCOPED_TRACE(step.after);
            const DWORD tick = base + step.after;  // wraps like the counter
            const DWORD lastBefore = *access().lastRefreshTick;
            EXPECT_EQ(frameAt(tick), step.title != nullptr);
            frames += 1;
            if (step.title) {
                EXPECT_EQ(title(), step.title);
                EXPECT_EQ(*access().lastRefreshTick, tick);
                frames = 0;
            } else {
                EXPECT_EQ(*access().lastRefreshTick, lastBefore);
            }
            EXPECT_EQ(*access().framesSinceRefresh, frames);
        }
        unload();
    }
}

// Frames 15 ms apart: every second one refreshes, and the refresh is timed
// from when it happened, so the missing 10 ms are never made up. Only the
// refreshing frames turn the cube.
TEST_F(FrameRateTest, LateRefreshesAreNotMadeUp) {
    startAt(10000);
    module->channelCount = 2;
    std::memset(module->spectrumBytes, 255, sizeof module->spectrumBytes);
    int refreshes = 0;
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        const bool refreshed = frameAt(10000 + 15 * i);
        EXPECT_EQ(refreshed, i % 2 == 0);
        if (refreshed && i > 0) {
            EXPECT_EQ(title(), "Gyroquad - 66.67 FPS");
        }
        refreshes += refreshed;
    }
    EXPECT_EQ(refreshes, 10);
    EXPECT_NEAR(*access().rotationAngle, 10 * 130.05, 1e-3);
}

}  // namespace
