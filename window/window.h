// The output window: its procedure and pixel format.
#pragma once

#include <windows.h>

LRESULT CALLBACK visWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sets the output window's pixel format on dc; false, after the error box,
// when the platform has none to offer.
bool setupPixelFormat(HDC dc);
