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

    bool (*updateFrameRate)(int rate);
    DWORD* lastRefreshTick;
    void (*createBlankTexture)(GLuint* nameTable, int side, int componentCount, GLenum dataFormat, int slot);
    void (*drawFeedbackQuad)(int slot);
    void (*drawScene)(visModule* module);
    GLuint* textureNames;
    double* rotationAngle;
    float* cyclePhaseA;
    float* cyclePhaseB;
    void* (**zeroBufferAllocator)(size_t count, size_t size);
};

extern "C" typedef DravikTestAccess* (*DravikTestAccessProc)();
