// Pixel format of the output window: double-buffered RGBA with a depth buffer.
#include "shared/platform.h"
#include "window/window.h"

bool setupPixelFormat(HDC dc) {
    PIXELFORMATDESCRIPTOR descriptor = {};
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 16;
    descriptor.cDepthBits = 32;

    // The format is taken as the platform chose it; its real sizes are not examined.
    int format = PLATFORM(ChoosePixelFormat)(dc, &descriptor);
    if (format != 0 && PLATFORM(SetPixelFormat)(dc, format, &descriptor))
        return true;

    // NOTE: the player lives in this process: the failure is reported and the
    // window creation abandoned, never the process ended.
    MessageBoxA(WindowFromDC(dc), "Mode graphique non support\xE9.", "Probl\xE8me - 1", MB_ICONERROR);
    return false;
}
