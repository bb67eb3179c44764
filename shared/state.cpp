#include "shared/state.h"

HWND mainWindow;
HDC deviceContext;
HGLRC renderContext;
GLuint fontBase;
GLuint textureNames[textureSlots];
float frameClock;
double framesSinceRefresh;
float cyclePhaseA;
float cyclePhaseB;
int songPosition;
int songLength;
char songTitle[256];
