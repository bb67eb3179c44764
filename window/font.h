// Text drawn as GL bitmaps from one display list per character.
#pragma once

constexpr int fontFirstChar = 32;   // space
constexpr int fontCharCount = 96;   // characters 32 to 127

// Leaves fontBase naming 96 lists that draw characters 32 to 127 of a bold
// face of the given cell height; needs a current context on deviceContext.
void buildFont(const char* face, int height);

// Draws the formatted text (at most 255 bytes) at the current raster position,
// one list per byte, leaving the list base as it found it; a null format draws nothing.
void printText(const char* fmt, ...);
