// The one-time GL state of a new context, and the per-frame projection.
#pragma once

// Leaves the baseline GL state, the feedback texture and the font lists
// in the current context.
void initGL();

// Leaves the viewport width x height, the 45-degree perspective projection
// and an identity modelview matrix, with the matrix mode on modelview.
void resizeScene(int width, int height);

// Leaves the window-pixel projection: orthographic, one unit per pixel of the
// windowWidth x windowHeight layout, origin at the lower left, near 0 and far
// 0.1, with an identity modelview matrix and the matrix mode on modelview.
void loadWindowPixelProjection();
