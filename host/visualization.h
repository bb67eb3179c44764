// The visualization thread: it calls every hook of the module, keeps the
// playlist moving, writes the rows and the status before each render call,
// and dispatches the messages of the plug-in's window, as a player does.
#pragma once

#include "host/player_window.h"
#include "host/playlist.h"
#include "plugin/records.h"

#include <atomic>
#include <string>

struct VisualizationRun {
    visModule* module = nullptr;
    HMODULE library = nullptr;
    HWND playerWindow = nullptr;
    Playlist* playlist = nullptr;
    PlayerStatus* status = nullptr;
    bool configOnly = false;             // run the configure hook and nothing else
    bool noSound = false;
    std::wstring captureDirectory;       // non-empty: virtual clock and PNG frames
    bool virtualClock = false;           // virtual clock, frames as fast as the plug-in goes
    bool repeat = false;                 // start the playlist again after its last entry
    long long statsEvery = 0;            // above 0: a line of frame cost per this many frames
    long long frameLimit = -1;
    double secondsLimit = -1;
    std::atomic<bool>* stopRequested = nullptr;  // set from outside to end the run early
    int exitCode = 0;                    // what the host exits with, set by the thread
};

// Starts the thread; its handle is signalled when the run has ended. Reports
// and returns null when it cannot start.
HANDLE startVisualization(VisualizationRun& run);

// Writes the song's rows at `frame` into the module record. Returns nothing;
// the record holds what the next render call reads.
void writeRows(visModule* module, const DecodedAudio& audio, size_t frame);

// The render interval the module asks for, kept within 1..1000 milliseconds.
int renderInterval(const visModule* module);

// Milliseconds on the system's performance counter, from an arbitrary start.
double counterMs();
