// Many starts and quits in one load of the library, as a player that is left
// running for a long time does them: nothing may pile up.
#include "tests/support/player.h"
#include "tests/support/resources.h"

#include <random>

namespace {

using RestartTest = PlayerTest;

constexpr int cycles = 200;
constexpr int closedCycles = 50;
constexpr int measuredFrom = 10;

void fillRows(visModule& module, std::mt19937& random) {
    for (auto& row : module.spectrumBytes)
        for (unsigned char& value : row)
            value = static_cast<unsigned char>(random());
    for (auto& row : module.waveformBytes)
        for (unsigned char& value : row)
            value = static_cast<unsigned char>(random());
}

void expectNoGrowth(const ProcessResources& before, const ProcessResources& after) {
    std::printf("after cycle %d -> last: handles %lu -> %lu, committed %zu -> %zu bytes, windows %d -> %d\n",
                measuredFrom, before.kernelHandles, after.kernelHandles, before.committedBytes,
                after.committedBytes, before.threadWindows, after.threadWindows);
    EXPECT_LE(after.kernelHandles, before.kernelHandles);
    EXPECT_LE(after.threadWindows, before.threadWindows);
    // The allocators under the GL grow in steps of their own (up to about 2 MB
    // seen here, up or down); a rendering context left behind costs about
    // 4.7 MB a start, the feedback texture's zero buffer 3 MB.
    EXPECT_LE(after.committedBytes, before.committedBytes + 8 * 1024 * 1024)
        << "from " << before.committedBytes << " to " << after.committedBytes;
    if (before.userObjects == 0 && before.gdiObjects == 0) {
        std::printf("USER and GDI object counts: the system does not count them (Wine answers 0)\n");
    } else {
        EXPECT_LE(after.userObjects, before.userObjects);
        EXPECT_LE(after.gdiObjects, before.gdiObjects);
    }
}

TEST_F(RestartTest, TwoHundredStartsAndQuitsHoldNothingBack) {
    load();
    std::mt19937 random(1);
    ProcessResources measured = {};
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        ASSERT_EQ(start(), 0) << "cycle " << cycle;
        for (int i = 0; i < 3; ++i) {
            fillRows(*module, random);
            ASSERT_EQ(frame(), 0);
        }
        quit();
        ASSERT_TRUE(boxes.empty()) << "cycle " << cycle;
        if (cycle == measuredFrom)
            measured = processResources();
    }
    expectNoGrowth(measured, processResources());
}

TEST_F(RestartTest, WindowClosedByTheUserAtAnyFrameThenQuit) {
    load();
    std::mt19937 random(2);
    ProcessResources measured = {};
    for (int cycle = 1; cycle <= closedCycles; ++cycle) {
        quitPosted = false;
        ASSERT_EQ(start(), 0) << "cycle " << cycle;
        HWND window = FindWindowA("DravikVis", nullptr);
        int framesBeforeClose = static_cast<int>(random() % 6);
        for (int i = 0; i < framesBeforeClose; ++i) {
            fillRows(*module, random);
            ASSERT_EQ(frame(), 0);
        }
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        pump();
        ASSERT_FALSE(IsWindow(window)) << "cycle " << cycle;
        ASSERT_TRUE(quitPosted) << "cycle " << cycle;
        quit();
        ASSERT_TRUE(boxes.empty()) << "cycle " << cycle;
        if (cycle == measuredFrom)
            measured = processResources();
    }
    expectNoGrowth(measured, processResources());
}

}  // namespace
