// The cost of a frame, next to the bare GL work that a frame cannot avoid.
// Not a test: it prints a table, and the figures are read by a person.
//
// Four kinds of frame, interleaved in rounds so that drift hits them alike:
//   scene      the render hook on a frame with a scene pass (the clock moves 25 ms)
//   screen     the render hook on a frame without one (the clock stands)
//   bare scene clear, the quad into the square, the 512 x 512 copy, clear,
//              the quad over the window, swap
//   bare screen clear, the quad over the window, swap
// Each frame ends with glFinish, so that the GL work is inside the frame.
// CPU time is the process's (the software rasteriser works on threads of
// its own); wall time comes from the performance counter.
#include "plugin/records.h"
#include "tests/seams/test_access.h"

#include <windows.h>
#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

DWORD tick = 100000;
DWORD WINAPI benchTick() {
    return tick;
}

void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

double processSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
}

double wallSeconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The feedback quad as the frame draws it, without anything around it.
void bareQuad(GLuint texture) {
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor4f(1.0f, 1.0f, 1.0f, 0.95f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 800.0, 600.0, 0.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex2f(10, 10);
    glTexCoord2f(0, 0);
    glVertex2f(10, 590);
    glTexCoord2f(1, 0);
    glVertex2f(790, 590);
    glTexCoord2f(1, 1);
    glVertex2f(790, 10);
    glEnd();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}

struct Kind {
    const char* name;
    double cpu = 0;
    double wall = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    const int framesPerRound = 50;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "GyroquadBenchPlayer";
    RegisterClassA(&windowClass);
    HWND player = CreateWindowExA(0, windowClass.lpszClassName, "Player", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);

    HMODULE library = LoadLibraryA("vis_dravik_seams.dll");
    if (!library) {
        std::fprintf(stderr, "cannot load vis_dravik_seams.dll\n");
        return 1;
    }
    auto getHeader = reinterpret_cast<visGetHeaderProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "winampVisGetHeader")));
    auto getAccess = reinterpret_cast<DravikTestAccessProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "dravikTestAccess")));
    visModule* module = getHeader()->moduleLookup(0);
    DravikTestAccess* inner = getAccess();
    inner->platform->GetTickCount = benchTick;

    module->parentWindow = player;
    module->libraryInstance = library;
    module->sampleRate = 44100;
    module->channelCount = 2;
    if (module->initHook(module) != 0) {
        std::fprintf(stderr, "the plug-in did not start\n");
        return 1;
    }
    pump();
    HDC dc = *inner->deviceContext;
    const GLuint texture = inner->textureNames[0];

    // Music of a kind: two tones in the waveform, a falling spectrum.
    for (int row = 0; row < visDataRows; ++row)
        for (int i = 0; i < visDataBytes; ++i) {
            const double sample = 60 * std::sin(i * 0.07 + row) + 40 * std::sin(i * 0.31);
            module->waveformBytes[row][i] = static_cast<unsigned char>(static_cast<signed char>(sample));
            module->spectrumBytes[row][i] = static_cast<unsigned char>(i < 64 ? 200 - 3 * i : 8);
        }

    Kind kinds[4] = {{"scene"}, {"screen"}, {"bare scene"}, {"bare screen"}};
    auto run = [&](int which) {
        switch (which) {
        case 0:
            tick += 25;
            module->renderHook(module);
            break;
        case 1:
            module->renderHook(module);
            break;
        case 2:
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glViewport(0, 0, 512, 512);
            bareQuad(texture);
            glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, 512, 512, 0);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glViewport(0, 0, 800, 600);
            bareQuad(texture);
            SwapBuffers(dc);
            break;
        case 3:
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glViewport(0, 0, 800, 600);
            bareQuad(texture);
            SwapBuffers(dc);
            break;
        }
        glFinish();
    };

    for (int which = 0; which < 4; ++which)  // warm-up
        for (int i = 0; i < 10; ++i)
            run(which);
    for (int round = 0; round < rounds; ++round)
        for (int which = 0; which < 4; ++which) {
            pump();
            const double cpu = processSeconds(), wall = wallSeconds();
            for (int i = 0; i < framesPerRound; ++i)
                run(which);
            kinds[which].cpu += processSeconds() - cpu;
            kinds[which].wall += wallSeconds() - wall;
        }

    const double frames = static_cast<double>(rounds) * framesPerRound;
    std::printf("%d frames of each kind, in %d rounds\n\n", static_cast<int>(frames), rounds);
    std::printf("%-12s %14s %15s\n", "frame", "CPU ms/frame", "wall ms/frame");
    for (const Kind& kind : kinds)
        std::printf("%-12s %14.3f %15.3f\n", kind.name, kind.cpu / frames * 1000, kind.wall / frames * 1000);
    std::printf("\nscene  / bare scene:  CPU %.2f, wall %.2f\n", kinds[0].cpu / kinds[2].cpu,
                kinds[0].wall / kinds[2].wall);
    std::printf("screen / bare screen: CPU %.2f, wall %.2f\n", kinds[1].cpu / kinds[3].cpu,
                kinds[1].wall / kinds[3].wall);

    module->quitHook(module);
    pump();
    FreeLibrary(library);
    DestroyWindow(player);
    return 0;
}
