// What the test build of the library exposes beyond the player's export: the
// platform calls it can redirect, and its inner procedures and state.
#pragma once

#ifndef DRAVIK_TEST_SEAMS
#define DRAVIK_TEST_SEAMS
#endif
#include "shared/platform.h"

#include <windows.h>
#include <GL/gl.h>

struct visModule;

struct DravikTestAccess {
    PlatformCalls* platform;

    void (*resizeScene)(int width, int height);

    HWND* mainWindow;
    HDC* deviceContext;
    HGLRC* renderContext;
    float* frameClock;
    double* framesSinceRefresh;

    // Player status, font and overlay.
    void (*buildFont)(const char* face, int height);
    void (*printText)(const char* fmt, ...);
    void (*drawOverlay)();
    GLuint* fontBase;
    float* cyclePhaseA;
    float* cyclePhaseB;
    int* songPosition;
    int* songLength;
    char* songTitle;  // 256 bytes
    int* playlistIndex;
    const char** titlePointer;
    int* queryPhase;
    // Refresh throttle, feedback texture and scene.
    bool (*updateFrameRate)(int rate);
    DWORD* lastRefreshTick;
    void (*createBlankTexture)(GLuint* nameTable, int side, int componentCount, GLenum dataFormat, int slot);
    void (*drawFeedbackQuad)(int slot);
    void (*drawScene)(visModule* module);
    GLuint* textureNames;
    double* rotationAngle;
};

extern "C" typedef DravikTestAccess* (*DravikTestAccessProc)();
