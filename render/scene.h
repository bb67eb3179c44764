// The scene figures: cube, dots, bars and ring.
#pragma once

#include "plugin/records.h"

// Draws the cube under the frame's camera, then the flat figures in layout
// units; leaves the window-pixel projection loaded with an identity
// modelview, texturing on and the colour white.
void drawScene(visModule* module);

// The cube's angle in degrees; it grows with the spectrum and is never reset.
extern double rotationAngle;
