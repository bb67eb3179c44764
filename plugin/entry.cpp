// The library's export and the two records it hands to the player. The player
// writes the module's host fields and data rows; the plug-in never writes
// either record.
#include "plugin/hooks.h"

namespace {

const visHeader header = {
    0x101,
    "Gyroquad",
    visGetModule,
};

visModule module = {
    "Cube",
    nullptr,
    nullptr,
    2,   // sampleRate
    2,   // channelCount
    25,  // renderLatency
    25,  // renderDelay
    2,   // spectrumChannels
    2,   // waveformChannels
    {},
    {},
    visConfig,
    visInit,
    visRender,
    visQuit,
    nullptr,
};

}  // namespace

// Returns the one module for index 0 and null for every other index.
extern "C" visModule* visGetModule(int index) {
    return index == 0 ? &module : nullptr;
}

// The library's only export, named in the module-definition file.
extern "C" visHeader* winampVisGetHeader() {
    // The player's declaration takes a writable header; nothing here writes it.
    return const_cast<visHeader*>(&header);
}
