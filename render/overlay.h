// The last layer of every frame: the song title and the progress bar.
#pragma once

// Draws the title at (20, 20) in this frame's cycling colour and the progress
// bar along the bottom edge, and advances the colour phases. Leaves the
// baseline GL state with the window-pixel projection loaded, the matrix mode
// on modelview and the current colour white.
void drawOverlay();
