#include "tests/support/resources.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// NOTE: Wine answers 0 to GetProcessHandleCount; its handles are small
// multiples of 4, so asking each value whether it names a handle counts them.
DWORD countKernelHandles() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0)
        return count;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

// NOTE: Wine answers 0 in PrivateUsage, and what its GL allocates lies outside
// the Windows view of the address space. The host kernel counts it all, in the
// data segment of the process whose command line names this program; Wine
// opens files in its server, so /proc/self would be the server, not us.
size_t hostDataBytes() {
    static std::string statusPath;
    if (statusPath.empty()) {
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, sizeof self);
        const char* base = std::strrchr(self, '\\');
        base = base ? base + 1 : self;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA("Z:\\proc\\*", &found);
        if (find == INVALID_HANDLE_VALUE)
            return 0;
        int matches = 0;
        do {
            if (found.cFileName[0] < '0' || found.cFileName[0] > '9')
                continue;
            std::string directory = std::string("Z:\\proc\\") + found.cFileName;
            FILE* file = std::fopen((directory + "\\cmdline").c_str(), "rb");
            if (!file)
                continue;
            char commandLine[4096];
            size_t length = std::fread(commandLine, 1, sizeof commandLine - 1, file);
            std::fclose(file);
            commandLine[length] = '\0';  // the first argument: the program's path
            const char* name = std::strrchr(commandLine, '/');
            if (name && std::strcmp(name + 1, base) == 0) {
                statusPath = directory + "\\status";
                ++matches;
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
        if (matches != 1)
            statusPath.clear();
        if (statusPath.empty())
            return 0;
    }
    FILE* status = std::fopen(statusPath.c_str(), "r");
    if (!status)
        return 0;
    char line[256];
    size_t kilobytes = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmData: %zu kB", &kilobytes) == 1)
            break;
    std::fclose(status);
    return kilobytes * 1024;
}

size_t countCommittedBytes() {
    size_t total = hostDataBytes();
    if (total != 0)
        return total;
    MEMORY_BASIC_INFORMATION region;
    const char* address = nullptr;
    while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return total;
}

BOOL CALLBACK countWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, countWindow, count);
    return TRUE;
}

}  // namespace

ProcessResources processResources() {
    ProcessResources resources = {};
    resources.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    resources.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    resources.kernelHandles = countKernelHandles();
    resources.committedBytes = countCommittedBytes();
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&resources.threadWindows));
    return resources;
}
