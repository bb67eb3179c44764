// The format decoders behind decodeAudio, and the limits they share. Each one
// takes the whole file in memory, fills the decoded audio or answers false with
// one line saying what is wrong; none reads past the data it was given.
#pragma once

#include "host/audio/audio.h"

// The most samples (frames times kept channels) one file may decode to: whole
// files are held as floats, so this bounds the memory a file can claim.
constexpr size_t maxDecodedSamples = sizeof(void*) >= 8 ? size_t(1) << 30 : size_t(1) << 27;

// The longest title kept from a tag, in bytes.
constexpr size_t maxTitleBytes = 255;

// A decoded sample within full scale: NaN reads as 0, overs are clipped.
inline float clampSample(float sample) {
    if (!(sample == sample)) return 0.0f;
    return sample < -1.0f ? -1.0f : sample > 1.0f ? 1.0f : sample;
}

// RIFF/WAVE: PCM 8, 16, 24, 32 bits, IEEE float 32 and 64, plain or extensible.
bool decodeWav(const uint8_t* data, size_t size, DecodedAudio& out, std::string& error);

// Ogg Vorbis.
bool decodeVorbis(const uint8_t* data, size_t size, DecodedAudio& out, std::string& error);

// MPEG layer III with optional ID3v2/ID3v1 tags. The frames are decoded by the
// system's audio codec manager on Windows; elsewhere only tags and frame
// headers are read, and the answer is false.
bool decodeMp3(const uint8_t* data, size_t size, DecodedAudio& out, std::string& error);
