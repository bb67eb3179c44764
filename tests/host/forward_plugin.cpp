// A plug-in for testing the host with the real plug-in: it loads
// vis_dravik.dll from beside itself and hands out modules of its own whose
// hooks copy what the host filled in into the real module's record and call
// the real hooks. Each hook call is logged, one line each (the render hook
// only counted), to the file named by FORWARD_LOG:
//   init thread=T answer=N
//   quit thread=T renders=N
//   config thread=T
#include "plugin/records.h"
#include "tests/host/plugin_log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int moduleSlots = 8;
HMODULE target;
visHeader* targetHeader;
visModule* targets[moduleSlots];
visModule modules[moduleSlots];
long long renders;

void logLine(const std::string& line) {
    appendLogLine("FORWARD_LOG", line);
}

std::string threadText() {
    return " thread=" + std::to_string(GetCurrentThreadId());
}

// The real module behind one of ours, with what the host filled in copied over.
visModule* handOver(visModule* module) {
    visModule* real = targets[reinterpret_cast<intptr_t>(module->privateData)];
    real->parentWindow = module->parentWindow;
    real->libraryInstance = target;
    real->sampleRate = module->sampleRate;
    real->channelCount = module->channelCount;
    std::memcpy(real->spectrumBytes, module->spectrumBytes, sizeof real->spectrumBytes);
    std::memcpy(real->waveformBytes, module->waveformBytes, sizeof real->waveformBytes);
    return real;
}

extern "C" void forwardConfig(visModule* module) {
    logLine("config" + threadText());
    visModule* real = handOver(module);
    if (real->configHook)
        real->configHook(real);
}

extern "C" int forwardInit(visModule* module) {
    visModule* real = handOver(module);
    int answer = real->initHook(real);
    logLine("init" + threadText() + " answer=" + std::to_string(answer));
    return answer;
}

extern "C" int forwardRender(visModule* module) {
    visModule* real = handOver(module);
    ++renders;
    return real->renderHook(real);
}

extern "C" void forwardQuit(visModule* module) {
    visModule* real = handOver(module);
    real->quitHook(real);
    logLine("quit" + threadText() + " renders=" + std::to_string(renders));
}

// Loads the real plug-in beside this library. Returns whether its header came.
bool loadTarget() {
    if (targetHeader)
        return true;
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<const char*>(&loadTarget), &self);
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return false;
    std::string file(path, length);
    file = file.substr(0, file.find_last_of("\\/") + 1) + "vis_dravik.dll";
    target = LoadLibraryA(file.c_str());
    auto getHeader = target ? reinterpret_cast<visGetHeaderProc>(
                                  reinterpret_cast<void*>(GetProcAddress(target, "winampVisGetHeader")))
                            : nullptr;
    targetHeader = getHeader ? getHeader() : nullptr;
    return targetHeader != nullptr;
}

extern "C" visModule* forwardLookup(int index) {
    if (index < 0 || index >= moduleSlots || !loadTarget())
        return nullptr;
    visModule* real = targetHeader->moduleLookup(index);
    if (!real)
        return nullptr;
    targets[index] = real;
    visModule& module = modules[index];
    module = *real;
    module.configHook = forwardConfig;
    module.initHook = forwardInit;
    module.renderHook = forwardRender;
    module.quitHook = forwardQuit;
    module.privateData = reinterpret_cast<void*>(static_cast<intptr_t>(index));
    return &module;
}

visHeader header = {0x101, "Forward", forwardLookup};

}  // namespace

extern "C" __declspec(dllexport) visHeader* winampVisGetHeader() {
    return &header;
}
