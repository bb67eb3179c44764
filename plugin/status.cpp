// The status queries sent to the player's window, their schedule, and the
// guarded copy of the song title out of the player's memory.
#include "plugin/status.h"

#include "shared/state.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

int playlistIndex;
const char* titlePointer;
int queryPhase;

namespace {

constexpr int slowQueryBelow = 1000;  // milliseconds: the first second of a song
constexpr size_t titleCapacity = sizeof songTitle;

// The player's answer to one query, at the width of the send's result.
LRESULT ask(visModule* module, WPARAM argument, LPARAM code) {
    return SendMessageA(module->parentWindow, visStatusMessage, argument, code);
}

// True when a committed region with this protection can be read without a fault.
bool readableProtection(const MEMORY_BASIC_INFORMATION& region) {
    if (region.State != MEM_COMMIT)
        return false;
    if (region.Protect & (PAGE_GUARD | PAGE_NOACCESS))
        return false;
    const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return (region.Protect & readable) != 0;
}

// How many bytes from source on, up to limit, can be read without a fault.
size_t readableSpan(const char* source, size_t limit) {
    const uintptr_t start = reinterpret_cast<uintptr_t>(source);
    uintptr_t at = start;
    while (at - start < limit) {
        MEMORY_BASIC_INFORMATION region;
        if (VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof region) == 0)
            break;  // not an address of this process
        if (!readableProtection(region))
            break;
        const uintptr_t end = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
        if (end <= at)
            break;  // the region wraps the top of the address space
        at = end;
    }
    return at - start < limit ? at - start : limit;
}

}  // namespace

bool copyTitle(const char* source) {
    if (!source)
        return false;
    // NOTE: the player answers with an address in its own memory; nothing
    // stops it from answering with one that cannot be read, so every page the
    // copy touches is checked first, and at most the buffer's size is read.
    const size_t span = readableSpan(source, titleCapacity);
    const void* end = memchr(source, '\0', span);
    if (!end && span < titleCapacity)
        return false;  // the text runs into memory that cannot be read
    const size_t length = end ? static_cast<const char*>(end) - source : titleCapacity - 1;
    memcpy(songTitle, source, length);
    songTitle[length] = '\0';
    return true;
}

void queryPlayerStatus(visModule* module) {
    songPosition = static_cast<int>(ask(module, 0, visCodePositionOrLength));
    if (queryPhase == 3)
        queryPhase = 2;
    if (songPosition < slowQueryBelow)
        queryPhase = 1;
    if (queryPhase > 1)
        return;
    queryPhase += 2;
    songLength = static_cast<int>(ask(module, 1, visCodePositionOrLength));
    playlistIndex = static_cast<int>(ask(module, 0, visCodePlaylistIndex));
    // NOTE: the title's address takes the whole result; on a 64-bit build
    // cutting it to 32 bits would point anywhere.
    titlePointer = reinterpret_cast<const char*>(
        ask(module, static_cast<WPARAM>(playlistIndex), visCodeTitle));
    copyTitle(titlePointer);
}
