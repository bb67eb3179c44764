#include "tests/support/player.h"

PlayerTest* PlayerTest::current = nullptr;

namespace {
const char playerClass[] = "GyroquadTestPlayer";
}

void PlayerTest::SetUp() {
    current = this;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = playerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = playerClass;
    RegisterClassA(&windowClass);
    playerWindow = CreateWindowExA(0, playerClass, "Player", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                   nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(playerWindow, nullptr);
    hook = SetWindowsHookExA(WH_CBT, boxHook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
}

void PlayerTest::TearDown() {
    unload();
    UnhookWindowsHookEx(hook);
    DestroyWindow(playerWindow);
    UnregisterClassA(playerClass, GetModuleHandleA(nullptr));
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    current = nullptr;
}

void PlayerTest::load(const char* name) {
    library = LoadLibraryA(name);
    ASSERT_NE(library, nullptr) << "cannot load " << name;
    getHeader = procAddress<visGetHeaderProc>(library, "winampVisGetHeader");
    ASSERT_NE(getHeader, nullptr);
    header = getHeader();
    ASSERT_NE(header, nullptr);
    module = header->moduleLookup(0);
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(header->moduleLookup(1), nullptr);
}

void PlayerTest::unload() {
    if (!library)
        return;
    if (running)
        quit();
    FreeLibrary(library);
    library = nullptr;
    header = nullptr;
    module = nullptr;
}

void PlayerTest::fillHostFields() {
    module->parentWindow = playerWindow;
    module->libraryInstance = library;
    module->sampleRate = 44100;
    module->channelCount = 2;
}

int PlayerTest::start() {
    fillHostFields();
    int result = module->initHook(module);
    running = result == 0;
    pump();
    return result;
}

int PlayerTest::frame() {
    int result = module->renderHook(module);
    pump();
    return result;
}

void PlayerTest::quit() {
    module->quitHook(module);
    running = false;
    pump();
}

void PlayerTest::pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitPosted = true;
            quitCode = message.wParam;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

DravikTestAccess& PlayerTest::access() {
    auto proc = procAddress<DravikTestAccessProc>(library, "dravikTestAccess");
    if (!proc) {
        ADD_FAILURE() << "the loaded library is not the test build";
        static DravikTestAccess none = {};
        return none;
    }
    return *proc();
}

LRESULT CALLBACK PlayerTest::playerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != visStatusMessage || !current)
        return DefWindowProcA(window, message, wParam, lParam);
    PlayerTest& player = *current;
    player.queries.push_back({wParam, lParam});
    switch (lParam) {
    case visCodePositionOrLength:
        return wParam == 0 ? player.position : wParam == 1 ? player.length : 0;
    case visCodePlaylistIndex:
        return player.playlistIndex;
    case visCodeTitle: {
        auto found = player.titleAddresses.find(wParam);
        return found == player.titleAddresses.end() ? 0 : found->second;
    }
    default:
        return 0;
    }
}

namespace {

BOOL CALLBACK collectControl(HWND control, LPARAM into) {
    CapturedBox& box = *reinterpret_cast<CapturedBox*>(into);
    if (!(GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE))
        return TRUE;
    char className[32] = {};
    GetClassNameA(control, className, sizeof className);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    if (lstrcmpiA(className, "Button") == 0)
        box.buttonIds.push_back(GetDlgCtrlID(control));
    else if (lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
        box.icon = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
    return TRUE;
}

}  // namespace

LRESULT CALLBACK PlayerTest::boxHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && current) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        if (lstrcmpA(className, "#32770") == 0) {
            CapturedBox box = {};
            box.owner = GetWindow(window, GW_OWNER);
            char text[2048] = {};
            if (box.owner && GetClassNameA(box.owner, text, sizeof text))
                box.ownerClass = text;
            GetWindowTextA(window, text, sizeof text);
            box.caption = text;
            GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
            box.text = text;
            EnumChildWindows(window, collectControl, reinterpret_cast<LPARAM>(&box));
            current->boxes.push_back(box);
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

GLint glInteger(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

std::vector<GLint> glIntegers(GLenum name, int count) {
    std::vector<GLint> values(count);
    glGetIntegerv(name, values.data());
    return values;
}

std::vector<GLdouble> glMatrix(GLenum name) {
    std::vector<GLdouble> values(16);
    glGetDoublev(name, values.data());
    return values;
}
