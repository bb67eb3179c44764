// What the process holds: the figures a leak would make grow.
#pragma once

#include <windows.h>

#include <cstddef>

struct ProcessResources {
    DWORD userObjects;   // 0 where the system does not count them
    DWORD gdiObjects;    // 0 where the system does not count them
    DWORD kernelHandles;
    size_t committedBytes;  // private committed memory (under Wine: the data segment)
    int threadWindows;      // windows of the calling thread, children included
};

ProcessResources processResources();
