// Platform calls that the test build can redirect, to reach the failure paths
// and the clock that a real machine will not produce on demand. The product
// calls the system directly; only the test library defines the redirections.
#pragma once

#include <windows.h>

#include <cstdlib>

#ifdef DRAVIK_TEST_SEAMS
struct PlatformCalls {
    decltype(&::GetTickCount) GetTickCount;
    decltype(&::RegisterClassA) RegisterClassA;
    decltype(&::CreateWindowExA) CreateWindowExA;
    decltype(&::ChoosePixelFormat) ChoosePixelFormat;
    decltype(&::SetPixelFormat) SetPixelFormat;
    decltype(&::wglCreateContext) wglCreateContext;
    decltype(&::calloc) calloc;
};
extern PlatformCalls platformCalls;
#define PLATFORM(fn) (platformCalls.fn)
#else
#define PLATFORM(fn) (::fn)
#endif
