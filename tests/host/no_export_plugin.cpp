// A library that is no plug-in: it loads, but offers no entry.
#include <windows.h>

extern "C" __declspec(dllexport) int somethingElse() {
    return 0;
}
