// The refresh throttle: lets at most `rate` texture refreshes through per
// second, and at each one writes the frame rate measured since the previous
// refresh into the output window's title bar.
#include "render/frame_rate.h"

#include "shared/platform.h"
#include "shared/state.h"

#include <cstdio>

// NOTE: kept as the raw millisecond tick, not as seconds in a float: a float
// of seconds loses whole milliseconds after about 18 hours of up-time and
// steps by more than a refresh interval after about 6 days. Intervals are the
// unsigned difference of two ticks, which stays right across the counter's
// wrap after 49.7 days.
DWORD lastRefreshTick;

bool updateFrameRate(int rate) {
    const DWORD now = PLATFORM(GetTickCount)();
    const DWORD elapsedTicks = now - lastRefreshTick;
    const double elapsed = static_cast<double>(elapsedTicks) / 1000.0;
    const double limit = 1.0 / rate;
    if (!(elapsed > limit))
        return false;

    const double frameRate = framesSinceRefresh / elapsed;
    framesSinceRefresh = 0.0;
    lastRefreshTick = now;
    char text[256];
    std::snprintf(text, sizeof text, "Gyroquad - %4.2f FPS", frameRate);
    SetWindowTextA(mainWindow, text);
    return true;
}
