// The player window's procedure and the main thread's message loop.
#include "host/player_window.h"

#include "host/report.h"
#include "plugin/records.h"

namespace {

const wchar_t playerClass[] = L"GyroquadPlayer";

struct PlayerContext {
    PlayerStatus* status;
    Playlist* playlist;
};

PlayerContext context;

LRESULT CALLBACK playerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case visStatusMessage:
        return answerStatusQuery(*context.status, *context.playlist, wParam, lParam);
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

LRESULT answerStatusQuery(PlayerStatus& status, Playlist& playlist, WPARAM wParam, LPARAM lParam) {
    switch (lParam) {
    case visCodePositionOrLength:
        if (wParam == 0)
            return status.positionMs.load();
        if (wParam == 1)
            return status.lengthSeconds.load();
        return 0;
    case visCodePlaylistIndex:
        return status.playlistIndex.load();
    case visCodeTitle:
        return reinterpret_cast<LRESULT>(playlist.title(wParam));
    default:
        return 0;
    }
}

HWND createPlayerWindow(PlayerStatus& status, Playlist& playlist) {
    context = {&status, &playlist};
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = playerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = playerClass;
    if (!RegisterClassW(&windowClass)) {
        reportFailure("registering the player window class");
        return nullptr;
    }
    HWND window = CreateWindowExW(0, playerClass, L"Gyroquad player", WS_OVERLAPPEDWINDOW, 0, 0,
                                  320, 120, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) {
        reportFailure("creating the player window");
        UnregisterClassW(playerClass, windowClass.hInstance);
    }
    return window;
}

void destroyPlayerWindow(HWND window) {
    if (!DestroyWindow(window))
        reportFailure("destroying the player window");
    if (!UnregisterClassW(playerClass, GetModuleHandleW(nullptr)))
        reportFailure("unregistering the player window class");
}

void runPlayerLoop(HANDLE thread) {
    for (;;) {
        DWORD woken = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0)
            return;
        if (woken == WAIT_FAILED) {
            reportFailure("waiting for the visualization thread");
            WaitForSingleObject(thread, INFINITE);
            return;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}
