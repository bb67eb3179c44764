// The feedback texture: its creation, the quad that shows it, and the scene
// pass that renews it.
#pragma once

#include "plugin/records.h"

#include <GL/gl.h>

// Leaves a new black side x side texture named in nameTable[slot], bound to
// GL_TEXTURE_2D, with linear filters and no mipmaps.
void createBlankTexture(GLuint* nameTable, int side, int componentCount, GLenum dataFormat, int slot);

// Adds 0.95 x the texture of the slot over the 800 x 600 layout less a
// 10-unit margin; leaves both matrices as found, depth test on, blending off,
// the texture bound and the colour (1, 1, 1, 0.95).
void drawFeedbackQuad(int slot);

// Draws the old texture and the figures into the lower-left square of the
// back buffer, copies the square into the feedback texture and leaves a black
// buffer and the window viewport behind.
void renderScenePass(visModule* module);

