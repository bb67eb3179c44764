// Process-wide state that more than one area touches. Everything here is zero,
// null or empty when the library is loaded, and lives as long as it stays loaded.
#pragma once

#include <windows.h>
#include <GL/gl.h>

constexpr int textureSlots = 1;   // slot 0 is the feedback texture

extern HWND mainWindow;
extern HDC deviceContext;
extern HGLRC renderContext;
extern GLuint fontBase;
extern GLuint textureNames[textureSlots];
extern float frameClock;
extern double framesSinceRefresh;
extern float cyclePhaseA;
extern float cyclePhaseB;
extern int songPosition;
extern int songLength;
extern char songTitle[256];

// The feedback texture is slot 0 of the texture-name table.
inline GLuint& feedbackTexture = textureNames[0];
