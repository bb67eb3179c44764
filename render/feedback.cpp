// The feedback texture: created black once per rendering context, shown over
// the window on every frame, and in each scene pass drawn faded and slightly
// shrunk under the new figures before the square is copied back into it, so
// that the figures leave trails that fade and draw in towards the middle.
#include "render/feedback.h"

#include "render/scene.h"
#include "shared/settings.h"
#include "shared/state.h"

#include "shared/platform.h"

#include <cstdlib>

namespace {

// Zeros for the fallback below: 64 x 64 texels of up to four components.
constexpr int zeroTileSide = 64;
const GLuint zeroTile[zeroTileSide * zeroTileSide * 4] = {};

// Leaves level 0 of the bound texture black without a buffer of its size:
// the level is specified without data, then cleared tile by tile.
void clearBoundTextureInTiles(int side, int componentCount, GLenum dataFormat) {
    glTexImage2D(GL_TEXTURE_2D, 0, componentCount, side, side, 0, dataFormat, GL_UNSIGNED_INT, nullptr);
    for (int y = 0; y < side; y += zeroTileSide)
        for (int x = 0; x < side; x += zeroTileSide) {
            const int width = side - x < zeroTileSide ? side - x : zeroTileSide;
            const int height = side - y < zeroTileSide ? side - y : zeroTileSide;
            glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, dataFormat, GL_UNSIGNED_INT, zeroTile);
        }
}

}  // namespace

void createBlankTexture(GLuint* nameTable, int side, int componentCount, GLenum dataFormat, int slot) {
    const size_t count = side > 0 && componentCount > 0
                             ? static_cast<size_t>(side) * static_cast<size_t>(side) * static_cast<size_t>(componentCount)
                             : 0;
    GLuint* zeros = count ? static_cast<GLuint*>(PLATFORM(calloc)(count, sizeof(GLuint))) : nullptr;
    glGenTextures(1, &nameTable[slot]);
    glBindTexture(GL_TEXTURE_2D, nameTable[slot]);
    if (zeros)
        glTexImage2D(GL_TEXTURE_2D, 0, componentCount, side, side, 0, dataFormat, GL_UNSIGNED_INT, zeros);
    else
        // NOTE: without memory for the zero buffer the texture must still
        // start black: garbage in it would show and then trail for seconds.
        clearBoundTextureInTiles(side, componentCount, dataFormat);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    std::free(zeros);
}

// Relies on 2-D texturing on and the blend factors (GL_SRC_ALPHA, GL_ONE);
// switches depth testing off and blending on only for the quad.
void drawFeedbackQuad(int slot) {
    glPushMatrix();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, textureNames[slot]);
    glColor4f(1.0f, 1.0f, 1.0f, 0.95f);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // Bottom and top swapped: y grows downwards from the top-left corner.
    glOrtho(0.0, windowWidth, windowHeight, 0.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float left = 10.0f, top = 10.0f;
    const float right = static_cast<float>(windowWidth - 10);
    const float bottom = static_cast<float>(windowHeight - 10);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(left, top);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(left, bottom);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(right, bottom);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(right, top);
    glEnd();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glPopMatrix();
}

// The copy stays inside GL, from the back buffer into the texture.
void renderScenePass(visModule* module) {
    glViewport(0, 0, textureSize, textureSize);
    drawFeedbackQuad(0);
    drawScene(module);
    glBindTexture(GL_TEXTURE_2D, feedbackTexture);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, textureSize, textureSize, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, windowWidth, windowHeight);
}
