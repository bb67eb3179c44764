// The two records the player reads and fills, laid out byte for byte as the
// player expects them. On 32-bit x86 every field is 4 bytes wide and neither
// record has gaps; a 64-bit build keeps the same fields in the same order with
// the platform's natural alignment, as a 64-bit player declares them.
#pragma once

#include <windows.h>

#include <cstddef>

struct visModule;

extern "C" {
typedef visModule* (*visModuleLookup)(int index);
typedef void (*visConfigHook)(visModule* module);
typedef int (*visInitHook)(visModule* module);
typedef int (*visRenderHook)(visModule* module);
typedef void (*visQuitHook)(visModule* module);
}

constexpr int visDataRows = 2;
constexpr int visDataBytes = 576;

struct visHeader {
    int headerVersion;
    const char* pluginTitle;
    visModuleLookup moduleLookup;
};

struct visModule {
    const char* moduleTitle;
    HWND parentWindow;
    HINSTANCE libraryInstance;
    int sampleRate;
    int channelCount;
    int renderLatency;
    int renderDelay;
    int spectrumChannels;
    int waveformChannels;
    unsigned char spectrumBytes[visDataRows][visDataBytes];
    // Two's-complement samples; readers flip the top bit to get 0..255.
    unsigned char waveformBytes[visDataRows][visDataBytes];
    visConfigHook configHook;
    visInitHook initHook;
    visRenderHook renderHook;
    visQuitHook quitHook;
    void* privateData;
};

#if defined(_WIN64)
static_assert(offsetof(visHeader, pluginTitle) == 8, "header layout");
static_assert(offsetof(visHeader, moduleLookup) == 16, "header layout");
static_assert(sizeof(visHeader) == 24, "header layout");
static_assert(offsetof(visModule, parentWindow) == 8, "module layout");
static_assert(offsetof(visModule, libraryInstance) == 16, "module layout");
static_assert(offsetof(visModule, sampleRate) == 24, "module layout");
static_assert(offsetof(visModule, channelCount) == 28, "module layout");
static_assert(offsetof(visModule, renderLatency) == 32, "module layout");
static_assert(offsetof(visModule, renderDelay) == 36, "module layout");
static_assert(offsetof(visModule, spectrumChannels) == 40, "module layout");
static_assert(offsetof(visModule, waveformChannels) == 44, "module layout");
static_assert(offsetof(visModule, spectrumBytes) == 48, "module layout");
static_assert(offsetof(visModule, waveformBytes) == 1200, "module layout");
static_assert(offsetof(visModule, configHook) == 2352, "module layout");
static_assert(offsetof(visModule, initHook) == 2360, "module layout");
static_assert(offsetof(visModule, renderHook) == 2368, "module layout");
static_assert(offsetof(visModule, quitHook) == 2376, "module layout");
static_assert(offsetof(visModule, privateData) == 2384, "module layout");
static_assert(sizeof(visModule) == 2392, "module layout");
#else
static_assert(offsetof(visHeader, pluginTitle) == 4, "header layout");
static_assert(offsetof(visHeader, moduleLookup) == 8, "header layout");
static_assert(sizeof(visHeader) == 12, "header layout");
static_assert(offsetof(visModule, parentWindow) == 4, "module layout");
static_assert(offsetof(visModule, libraryInstance) == 8, "module layout");
static_assert(offsetof(visModule, sampleRate) == 12, "module layout");
static_assert(offsetof(visModule, channelCount) == 16, "module layout");
static_assert(offsetof(visModule, renderLatency) == 20, "module layout");
static_assert(offsetof(visModule, renderDelay) == 24, "module layout");
static_assert(offsetof(visModule, spectrumChannels) == 28, "module layout");
static_assert(offsetof(visModule, waveformChannels) == 32, "module layout");
static_assert(offsetof(visModule, spectrumBytes) == 36, "module layout");
static_assert(offsetof(visModule, waveformBytes) == 1188, "module layout");
static_assert(offsetof(visModule, configHook) == 2340, "module layout");
static_assert(offsetof(visModule, initHook) == 2344, "module layout");
static_assert(offsetof(visModule, renderHook) == 2348, "module layout");
static_assert(offsetof(visModule, quitHook) == 2352, "module layout");
static_assert(offsetof(visModule, privateData) == 2356, "module layout");
static_assert(sizeof(visModule) == 2360, "module layout");
#endif

// The status queries a plug-in sends to the player's window: message WM_USER,
// argument in wParam, code in lParam.
constexpr UINT visStatusMessage = WM_USER;
constexpr LPARAM visCodePositionOrLength = 105;  // wParam 0: position in ms; 1: length in s
constexpr LPARAM visCodePlaylistIndex = 125;
constexpr LPARAM visCodeTitle = 212;              // wParam: playlist index; answer: text address

// The library's one export: returns the header.
extern "C" typedef visHeader* (*visGetHeaderProc)();
