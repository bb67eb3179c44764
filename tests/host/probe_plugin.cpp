// A plug-in for testing the host: it records, one line per event, what the
// host hands it (host fields, rows, status answers, threads) in the file
// named by PROBE_LOG, and behaves as the environment asks:
//   PROBE_NO_MODULE=1   the lookup answers null for index 0
//   PROBE_INIT=N        the initialise hook answers N
//   PROBE_STOP_AT=N     the render hook answers 1 on its Nth call
// Its window is cleared through OpenGL to a colour whose red is the number of
// the render call modulo 256, so captured pictures can be matched to calls.
#include "plugin/records.h"
#include "tests/host/plugin_log.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char probeClass[] = "GyroquadProbe";
HWND window;
HDC windowDc;
HGLRC context;
int renders;

int envNumber(const char* name, int otherwise) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : otherwise;
}

void logLine(const std::string& line) {
    appendLogLine("PROBE_LOG", line);
}

std::string hex(const void* data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

std::string number(long long value) {
    return std::to_string(value);
}

// The common part of every line: event, thread, module index.
std::string head(const char* event, visModule* module) {
    return std::string(event) + " thread=" + number(GetCurrentThreadId()) +
           " module=" + number(reinterpret_cast<intptr_t>(module->privateData));
}

LRESULT CALLBACK probeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        wglMakeCurrent(nullptr, nullptr);
        if (context)
            wglDeleteContext(context);
        context = nullptr;
        ReleaseDC(hwnd, windowDc);
        window = nullptr;
        logLine("destroyed thread=" + number(GetCurrentThreadId()));
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

extern "C" void probeConfig(visModule* module) {
    logLine(head("config", module) + " parent=" + number(reinterpret_cast<intptr_t>(module->parentWindow)));
}

extern "C" int probeInit(visModule* module) {
    DWORD parentThread = GetWindowThreadProcessId(module->parentWindow, nullptr);
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<const char*>(&probeInit), &self);
    logLine(head("init", module) + " parentThread=" + number(parentThread) +
            " instanceIsSelf=" + number(module->libraryInstance == self) +
            " rate=" + number(module->sampleRate) + " channels=" + number(module->channelCount));
    int answer = envNumber("PROBE_INIT", 0);
    if (answer != 0)
        return answer;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = probeProc;
    windowClass.hInstance = module->libraryInstance;
    windowClass.lpszClassName = probeClass;
    windowClass.style = CS_OWNDC;
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, probeClass, "Probe", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                             50, 50, 200, 150, module->parentWindow, nullptr, module->libraryInstance, nullptr);
    if (!window)
        return 1;
    windowDc = GetDC(window);
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 24;
    SetPixelFormat(windowDc, ChoosePixelFormat(windowDc, &format), &format);
    context = wglCreateContext(windowDc);
    wglMakeCurrent(windowDc, context);
    return 0;
}

extern "C" int probeRender(visModule* module) {
    ++renders;
    HWND player = module->parentWindow;
    LRESULT position = SendMessageA(player, visStatusMessage, 0, visCodePositionOrLength);
    LRESULT length = SendMessageA(player, visStatusMessage, 1, visCodePositionOrLength);
    LRESULT index = SendMessageA(player, visStatusMessage, 0, visCodePlaylistIndex);
    auto title = reinterpret_cast<const char*>(SendMessageA(player, visStatusMessage, index, visCodeTitle));
    auto outside = reinterpret_cast<const char*>(SendMessageA(player, visStatusMessage, 100000, visCodeTitle));
    logLine(head("render", module) + " n=" + number(renders) + " rate=" + number(module->sampleRate) +
            " channels=" + number(module->channelCount) + " position=" + number(position) +
            " length=" + number(length) + " index=" + number(index) +
            " titleAddress=" + number(reinterpret_cast<intptr_t>(title)) +
            " title=" + (title ? hex(title, std::strlen(title)) : std::string("null")) +
            " outside=" + (outside ? hex(outside, std::strlen(outside)) : std::string("null")) +
            " wave=" + hex(module->waveformBytes, sizeof module->waveformBytes) +
            " spectrum=" + hex(module->spectrumBytes, sizeof module->spectrumBytes));
    if (window) {
        glClearColor((renders % 256) / 255.0f, 0.5f, 0.25f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(windowDc);
    }
    int stopAt = envNumber("PROBE_STOP_AT", 0);
    return stopAt > 0 && renders == stopAt ? 1 : 0;
}

extern "C" void probeQuit(visModule* module) {
    logLine(head("quit", module));
    if (window)
        DestroyWindow(window);
    UnregisterClassA(probeClass, module->libraryInstance);
}

visModule makeModule(const char* title, intptr_t index) {
    visModule module = {};
    module.moduleTitle = title;
    module.renderLatency = 25;
    module.renderDelay = 25;
    module.spectrumChannels = 2;
    module.waveformChannels = 2;
    module.configHook = probeConfig;
    module.initHook = probeInit;
    module.renderHook = probeRender;
    module.quitHook = probeQuit;
    module.privateData = reinterpret_cast<void*>(index);
    return module;
}

visModule modules[2] = {makeModule("Probe A", 0), makeModule("Probe B", 1)};

extern "C" visModule* probeLookup(int index) {
    if (envNumber("PROBE_NO_MODULE", 0))
        return nullptr;
    return index >= 0 && index < 2 ? &modules[index] : nullptr;
}

visHeader header = {0x101, "Probe \xE9t\xE9", probeLookup};

}  // namespace

extern "C" __declspec(dllexport) visHeader* winampVisGetHeader() {
    return &header;
}
