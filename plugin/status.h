// What the plug-in asks the player about the current song, once per frame.
#pragma once

#include "plugin/records.h"

extern int playlistIndex;        // index of the current playlist entry, as last answered
extern const char* titlePointer; // the title's address in the player's memory, as last answered
extern int queryPhase;           // 0 at load; 2 or 3 between frames

// Leaves this frame's position in songPosition; on the first frame after load
// and while the position is below one second, also the length, playlist index,
// title address and a copy of the title (songLength, playlistIndex,
// titlePointer, songTitle).
void queryPlayerStatus(visModule* module);

// Copies the NUL-terminated text at source into songTitle, keeping its first
// 255 bytes; false, with songTitle untouched, when source holds no readable text.
bool copyTitle(const char* source);
