// The player's window on the main thread: the plug-in's parent and owner, and
// the receiver of its status queries, answered from what the visualization
// thread publishes before each render call.
#pragma once

#include "host/playlist.h"

#include <windows.h>

#include <atomic>

// What the plug-in is told when it asks; written by the visualization thread.
struct PlayerStatus {
    std::atomic<int> positionMs{0};      // position heard in the current song
    std::atomic<int> lengthSeconds{0};   // length of the current song, rounded up
    std::atomic<int> playlistIndex{0};
};

// The answer to one status query (message WM_USER, code in lParam); 0 for an
// unknown code. A title asked for by an index outside the playlist is empty.
LRESULT answerStatusQuery(PlayerStatus& status, Playlist& playlist, WPARAM wParam, LPARAM lParam);

// Makes the hidden player window. Reports and returns null on failure.
HWND createPlayerWindow(PlayerStatus& status, Playlist& playlist);
void destroyPlayerWindow(HWND window);

// Dispatches the main thread's messages until `thread` has ended.
void runPlayerLoop(HANDLE thread);
