// Pictures of the plug-in's window for a captured run: the client area as it
// stands after a render call, written as a PNG file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The first visible top-level window of the calling thread: the plug-in's
// output window when called on the visualization thread. Null when none.
HWND findThreadWindow();

// Copies the client area of `window` as rows of RGB bytes, top row first.
// Reports and returns false when the system refuses.
bool readWindowPixels(HWND window, int& width, int& height, std::vector<uint8_t>& rgb);

// Encodes RGB rows as a PNG file at `path`. Reports and returns false on failure.
bool writePng(const std::wstring& path, int width, int height, const std::vector<uint8_t>& rgb);

// The file name of frame `number` (counted from 1) in `directory`.
std::wstring framePath(const std::wstring& directory, long long number);

// Makes `directory` unless it exists. Reports and returns false on failure.
bool makeDirectory(const std::wstring& directory);
