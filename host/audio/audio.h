// Decoded audio as the host hands it on: the decoders fill it once per file,
// and the player only reads it. Sizes of the rows the plug-in receives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int rowChannels = 2;     // rows of waveform and spectrum data per frame
constexpr int rowBytes = 576;      // bytes per row

struct DecodedAudio {
    int sampleRate = 0;            // frames per second
    int channels = 0;              // 1 or 2
    std::vector<float> samples;    // interleaved frames, full scale -1..1
    std::string title;             // Windows-1252 text from the file's tags; empty when none
};

// Decodes a whole file held in memory, whatever its format (WAV, Ogg Vorbis,
// MP3). On failure returns false and sets error to one line saying what is
// wrong with the data (the caller adds the file name).
bool decodeAudio(const uint8_t* data, size_t size, DecodedAudio& out, std::string& error);

// The rows a player writes into the module record before a render call: for
// each channel, 576 signed 8-bit samples around frame `position` and 576
// spectrum magnitudes 0..255 of the newest samples heard at that position.
// A mono file fills both rows alike.
void prepareRows(const DecodedAudio& audio, size_t position,
                 unsigned char waveform[rowChannels][rowBytes],
                 unsigned char spectrum[rowChannels][rowBytes]);
