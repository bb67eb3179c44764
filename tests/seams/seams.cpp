// The test build's redirections, all pointing at the system until a test
// points one elsewhere, and the export through which tests reach them.
#include "tests/seams/test_access.h"

#include "render/feedback.h"
#include "render/frame_rate.h"
#include "render/scene.h"
#include "shared/state.h"
#include "window/gl_state.h"

PlatformCalls platformCalls = {
    ::GetTickCount,
    ::RegisterClassA,
    ::CreateWindowExA,
    ::ChoosePixelFormat,
    ::SetPixelFormat,
    ::wglCreateContext,
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
        updateFrameRate,
        &lastRefreshTick,
        createBlankTexture,
        drawFeedbackQuad,
        drawScene,
        textureNames,
        &rotationAngle,
        &cyclePhaseA,
        &cyclePhaseB,
        &zeroBufferAllocator,
    };
    return &access;
}
