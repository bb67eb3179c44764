// The overlay: the song title in a colour that cycles from frame to frame,
// and a bar along the bottom edge as long as the played fraction of the song.
// Both are added to the picture below with the baseline blend factors
// (source alpha, one). Relies on the baseline GL state and the font lists;
// restores the baseline before it returns.
#include "render/overlay.h"

#include "shared/settings.h"
#include "shared/state.h"
#include "window/font.h"
#include "window/gl_state.h"

#include <windows.h>
#include <GL/gl.h>

#include <cmath>

namespace {

constexpr float phaseStepA = 0.051f;
constexpr float phaseStepB = 0.005f;
constexpr double barHeight = 15.0;

void drawTitle() {
    const double a = cyclePhaseA;
    const double b = cyclePhaseB;
    glColor4f(static_cast<float>(std::cos(a)), static_cast<float>(std::sin(b)),
              static_cast<float>(1.0 - 0.5 * std::cos(a + b)), 0.5f);
    // The raster position takes over the colour current when it is set.
    glRasterPos2f(20.0f, 20.0f);
    printText("%s", songTitle);
}

void drawProgressBar() {
    glColor4f(0.2f, 0.6f, 0.9f, 0.5f);
    // A song of length 0 has no played fraction: no bar rather than one of
    // infinite or undefined width.
    if (songLength == 0)
        return;
    const double width =
        static_cast<double>(windowWidth) * songPosition * 0.001 / songLength;
    glBegin(GL_QUADS);
    glVertex2d(0.0, 0.0);
    glVertex2d(width, 0.0);
    glVertex2d(width, barHeight);
    glVertex2d(0.0, barHeight);
    glEnd();
}

}  // namespace

void drawOverlay() {
    loadWindowPixelProjection();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);

    drawTitle();
    cyclePhaseA = static_cast<float>(static_cast<double>(cyclePhaseA) + phaseStepA);
    cyclePhaseB = static_cast<float>(static_cast<double>(cyclePhaseB) + phaseStepB);
    drawProgressBar();

    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glColor3d(1.0, 1.0, 1.0);
}
