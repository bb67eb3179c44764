// The body shared by the fuzzers: one decoder on the fuzzer's bytes. The
// decoder must answer true with sane audio or false with a reason, and the
// rows must come out of any audio it answers.
#pragma once

#include "host/audio/audio.h"

#include <cstdlib>

template <bool (*decode)(const uint8_t*, size_t, DecodedAudio&, std::string&)>
int fuzzOne(const uint8_t* data, size_t size) {
    DecodedAudio audio;
    std::string error;
    if (!decode(data, size, audio, error)) {
        if (error.empty()) abort();  // a failure must say what is wrong
        return 0;
    }
    if (audio.channels < 1 || audio.channels > 2 || audio.sampleRate <= 0) abort();
    if (audio.samples.empty() || audio.samples.size() % audio.channels != 0) abort();
    for (float sample : audio.samples) {
        if (!(sample >= -1.0f && sample <= 1.0f)) abort();
    }
    unsigned char waveform[rowChannels][rowBytes], spectrum[rowChannels][rowBytes];
    size_t frames = audio.samples.size() / audio.channels;
    prepareRows(audio, frames / 2, waveform, spectrum);
    prepareRows(audio, frames + 100, waveform, spectrum);
    return 0;
}
