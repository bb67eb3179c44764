// The demo piece the host plays when no file is named: synthesised on the
// spot, the same on every run.
#pragma once

#include "host/audio/audio.h"

// The demo's title, as the plug-in is told it.
extern const char demoTitle[];

// Fills `audio` with the piece: 44100 Hz stereo, 32 seconds at 120 beats a
// minute, with a kick on every beat, a bass line, hand claps, hi-hats and
// rising sweeps that cross from left to right, and a break without drums.
void synthesizeDemo(DecodedAudio& audio);
