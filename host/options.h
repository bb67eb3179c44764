// The command line of vishost: what to load, what to play, how to run.
#pragma once

#include <string>
#include <vector>

struct Options {
    std::wstring pluginPath;           // empty: vis_dravik.dll beside the program
    int module = 0;                    // index handed to the module lookup
    bool list = false;                 // print the plug-in's title and modules, then stop
    bool config = false;               // run the module's configure hook, then stop
    bool noSound = false;              // play on a clock, without the sound device
    std::wstring captureDirectory;     // non-empty: render on a virtual clock, one PNG per frame
    bool virtualClock = false;         // render on a virtual clock as fast as the plug-in goes
    bool repeat = false;               // play the playlist over and over
    long long statsEvery = 0;          // above 0: one line of frame cost per this many frames
    long long frames = -1;             // at most this many render calls; -1: no bound
    double seconds = -1;               // at most this much playing time; -1: no bound
    bool help = false;
    std::vector<std::wstring> files;   // the playlist, in order; empty: the demo piece
};

// Reads the arguments that follow the program's name. On a mistake returns
// false with one line saying what is wrong.
bool parseOptions(const std::vector<std::wstring>& args, Options& options, std::string& error);

// The text printed by --help and after a mistake.
extern const char usageText[];
