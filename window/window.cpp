// The initialise and quit hooks and the output window's procedure: the window
// and its rendering context are made inside the window's creation and given
// back by its destruction, on the player's thread.
#include "window/window.h"

#include "plugin/hooks.h"
#include "shared/platform.h"
#include "shared/settings.h"
#include "shared/state.h"
#include "window/font.h"
#include "window/gl_state.h"

namespace {

// Set by the create handling when it has already reported why the window
// cannot exist, so that visInit shows no second box.
bool creationAbandoned;

const char attentionCaption[] = "Attention !";

LRESULT handleCreate(HWND window) {
    renderContext = nullptr;
    deviceContext = GetDC(window);
    if (!setupPixelFormat(deviceContext)) {
        ReleaseDC(window, deviceContext);
        deviceContext = nullptr;
        creationAbandoned = true;
        return -1;  // the system destroys the half-made window
    }
    renderContext = PLATFORM(wglCreateContext)(deviceContext);
    if (!renderContext) {
        // The default handling of WM_CLOSE destroys the window right here.
        SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    wglMakeCurrent(deviceContext, renderContext);
    initGL();
    return 0;
}

LRESULT handleDestroy(HWND window) {
    if (creationAbandoned)
        return 0;  // nothing of ours was made current, and the player goes on
    wglMakeCurrent(nullptr, nullptr);
    if (renderContext)
        wglDeleteContext(renderContext);  // the texture and font lists go with it
    ReleaseDC(window, deviceContext);
    PostQuitMessage(0);
    // NOTE: stale handles are dropped so that a later quit can never destroy or
    // delete a window or context that the system has since given to another owner.
    mainWindow = nullptr;
    deviceContext = nullptr;
    renderContext = nullptr;
    return 0;
}

}  // namespace

LRESULT CALLBACK visWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return handleCreate(window);
    case WM_DESTROY:
        return handleDestroy(window);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// 0 when the output window exists; 1 after an error box when it does not.
extern "C" int visInit(visModule* module) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = visWndProc;
    windowClass.hInstance = module->libraryInstance;
    windowClass.lpszClassName = windowClassName;
    if (!PLATFORM(RegisterClassA)(&windowClass)) {
        MessageBoxA(module->parentWindow,
                    "Erreur lors de l'enregistrement de la classe de la fen\xEAtre",
                    attentionCaption, MB_OK);
        return 1;
    }

    creationAbandoned = false;
    mainWindow = PLATFORM(CreateWindowExA)(
        WS_EX_APPWINDOW | WS_EX_TOOLWINDOW, windowClassName, module->moduleTitle,
        WS_VISIBLE | WS_SYSMENU, windowX, windowY, windowWidth, windowHeight,
        module->parentWindow, nullptr, module->libraryInstance, nullptr);
    if (!mainWindow) {
        if (!creationAbandoned)
            MessageBoxA(module->parentWindow, "Erreur lors de la cr\xE9" "ation de la fen\xEAtre",
                        attentionCaption, MB_OK);
        return 1;
    }
    return 0;
}

extern "C" void visQuit(visModule* module) {
    if (mainWindow) {
        // The context is still current only while the window exists.
        glDeleteLists(fontBase, fontCharCount);
        DestroyWindow(mainWindow);  // the destroy handling gives the context back
    }
    UnregisterClassA(windowClassName, module->libraryInstance);
}
