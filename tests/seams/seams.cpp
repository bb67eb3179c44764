// The test build's redirections, all pointing at the system until a test
// points one elsewhere, and the export through which tests reach them.
#include "tests/seams/test_access.h"

#include "plugin/status.h"
#include "render/overlay.h"
#include "render/feedback.h"
#include "render/frame_rate.h"
#include "render/scene.h"
#include "shared/state.h"
#include "window/font.h"
#include "window/gl_state.h"

PlatformCalls platformCalls = {
    ::GetTickCount,
    ::RegisterClassA,
    ::CreateWindowExA,
    ::ChoosePixelFormat,
    ::SetPixelFormat,
    ::wglCreateContext,
    ::calloc,
};

extern "C" DravikTestAccess* dravikTestAccess() {
    static DravikTestAccess access = {
        &platformCalls,
        resizeScene,
        &mainWindow,
        &deviceContext,
        &renderContext,
        &frameClock,
        &framesSinceRefresh,
        buildFont,
        printText,
        drawOverlay,
        &fontBase,
        &cyclePhaseA,
        &cyclePhaseB,
        &songPosition,
        &songLength,
        songTitle,
        &playlistIndex,
        &titlePointer,
        &queryPhase,
        updateFrameRate,
        &lastRefreshTick,
        createBlankTexture,
        drawFeedbackQuad,
        drawScene,
        textureNames,
        &rotationAngle,
    };
    return &access;
}
