// MPEG audio inside the MP3 decoder: frame headers, ID3 tags, and the frames
// gathered for the system's codec.
#pragma once

#include "host/audio/audio.h"

// One MPEG audio frame header.
struct MpegHeader {
    int version = 0;          // 1 for MPEG-1, 2 for MPEG-2, 25 for MPEG-2.5
    int layer = 0;            // 1, 2 or 3
    int bitrate = 0;          // kilobits per second
    int sampleRate = 0;       // Hz
    int channels = 0;         // 1 or 2
    size_t frameBytes = 0;    // the whole frame, header included
    int samplesPerFrame = 0;
};

// The layer III frames of a file, back to back, ready for a decoder.
struct Mp3Stream {
    MpegHeader first;             // the first audio frame's header
    std::vector<uint8_t> frames;  // the frames, without tags, junk or the VBR info frame
    size_t frameCount = 0;
    std::string title;            // Windows-1252, empty when the tags have none
};

// Reads the header of 4 bytes at p; false when they are not a valid one.
bool readMpegHeader(const uint8_t* p, MpegHeader& header);

// The size the ID3v2 tag at the start of data declares, footer included
// (more than size when the file is cut inside it); 0 when there is none.
// Sets title to the tag's title ("artist - title"), if any.
size_t readId3v2(const uint8_t* data, size_t size, std::string& title);

// True when the last 128 bytes are an ID3v1 tag; sets title from it.
bool readId3v1(const uint8_t* data, size_t size, std::string& title);

// Finds the tags and the layer III frames; false with a reason when the data
// holds no playable MPEG audio.
bool parseMp3(const uint8_t* data, size_t size, Mp3Stream& stream, std::string& error);

// Decodes the gathered frames to samples; false with a reason when the system
// cannot.
bool decodeMp3Frames(const Mp3Stream& stream, DecodedAudio& out, std::string& error);
