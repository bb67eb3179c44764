// The refresh throttle and the frame-rate meter in the title bar.
#pragma once

#include <windows.h>

// True when more than 1/rate seconds have passed since the last refresh; it
// has then restarted the frame count, noted this refresh and written the frame
// rate into the output window's title. False leaves everything as it was.
bool updateFrameRate(int rate);

// The millisecond tick of the last refresh, 0 until the first one.
extern DWORD lastRefreshTick;
