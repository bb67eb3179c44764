// The render hook: one complete frame per call, presented at its end.
#include "plugin/hooks.h"
#include "plugin/status.h"
#include "render/feedback.h"
#include "render/frame_rate.h"
#include "render/overlay.h"
#include "shared/settings.h"
#include "shared/state.h"
#include "window/gl_state.h"

#include <GL/gl.h>
#include <GL/glu.h>

// Always 0: the frame reports nothing to the player.
extern "C" int visRender(visModule* module) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    resizeScene(windowWidth, windowHeight);
    frameClock = static_cast<float>(static_cast<double>(frameClock) + 1.0);
    framesSinceRefresh += 1.0;
    // The camera looks from -z at the origin: +y is up the screen, +x to the left.
    gluLookAt(0.0, 0.0, -10.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    // Everything drawn in this frame sees this frame's answers.
    queryPlayerStatus(module);

    // At most textureRate times a second the feedback texture is renewed.
    if (updateFrameRate(textureRate))
        renderScenePass(module);
    drawFeedbackQuad(0);
    drawOverlay();

    SwapBuffers(deviceContext);
    return 0;
}
