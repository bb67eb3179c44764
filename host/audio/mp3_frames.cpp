// MPEG audio frame headers and the walk over a file's frames: the first frame
// is the first header whose successor is a header too (or the end), and junk
// between frames is skipped the same way.
#include "host/audio/decoders.h"
#include "host/audio/mp3.h"

#include <cstring>

namespace {

// Bit rates in kbit/s by [MPEG-1 ? 0 : 1][layer - 1][index]; 0 is free format.
const int bitrates[2][3][15] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
};
const int mpeg1Rates[3] = {44100, 48000, 32000};

// True when two headers belong to one stream.
bool sameStream(const MpegHeader& a, const MpegHeader& b) {
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate;
}

// True when a frame header at `at` is followed by another of the same stream,
// or ends exactly at `end`.
bool frameAt(const uint8_t* data, size_t at, size_t end, MpegHeader& header) {
    if (end - at < 4 || !readMpegHeader(data + at, header)) return false;
    if (header.frameBytes > end - at) return false;
    size_t next = at + header.frameBytes;
    if (next == end) return true;
    MpegHeader following;
    return end - next >= 4 && readMpegHeader(data + next, following) && sameStream(header, following);
}

// True when the frame carries a VBR info block ("Xing", "Info" or "VBRI")
// instead of audio.
bool isInfoFrame(const uint8_t* frame, const MpegHeader& header) {
    size_t sideInfo = header.version == 1 ? (header.channels == 2 ? 32 : 17) : (header.channels == 2 ? 17 : 9);
    size_t xing = 4 + sideInfo;
    if (header.frameBytes >= xing + 4 &&
        (memcmp(frame + xing, "Xing", 4) == 0 || memcmp(frame + xing, "Info", 4) == 0)) {
        return true;
    }
    return header.frameBytes >= 40 && memcmp(frame + 36, "VBRI", 4) == 0;
}

}  // namespace

bool readMpegHeader(const uint8_t* p, MpegHeader& header) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
    int versionBits = (p[1] >> 3) & 3;
    int layerBits = (p[1] >> 1) & 3;
    int bitrateIndex = p[2] >> 4;
    int rateIndex = (p[2] >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return false;
    if ((p[3] & 3) == 2) return false;  // reserved emphasis
    header.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    header.layer = 4 - layerBits;
    header.bitrate = bitrates[header.version == 1 ? 0 : 1][header.layer - 1][bitrateIndex];
    header.sampleRate = mpeg1Rates[rateIndex] / (header.version == 1 ? 1 : header.version == 2 ? 2 : 4);
    header.channels = (p[3] >> 6) == 3 ? 1 : 2;
    int padding = (p[2] >> 1) & 1;
    long bits = header.bitrate * 1000L;
    if (header.layer == 1) {
        header.frameBytes = (12 * bits / header.sampleRate + padding) * 4;
        header.samplesPerFrame = 384;
    } else if (header.layer == 2 || header.version == 1) {
        header.frameBytes = 144 * bits / header.sampleRate + padding;
        header.samplesPerFrame = 1152;
    } else {
        header.frameBytes = 72 * bits / header.sampleRate + padding;
        header.samplesPerFrame = 576;
    }
    return true;
}

bool parseMp3(const uint8_t* data, size_t size, Mp3Stream& stream, std::string& error) {
    std::string v2Title, v1Title;
    size_t start = readId3v2(data, size, v2Title);
    if (start > size) {
        error = "truncated MP3: the ID3v2 tag declares " + std::to_string(start) + " bytes, only " +
                std::to_string(size) + " are present";
        return false;
    }
    size_t end = size;
    if (readId3v1(data + start, size - start, v1Title)) end -= 128;
    stream.title = v2Title.empty() ? v1Title : v2Title;
    stream.frames.clear();
    stream.frameCount = 0;

    MpegHeader header;
    size_t at = start;
    bool found = false;
    bool truncated = false;
    while (at < end) {
        if (!found || end - at < 4 || !readMpegHeader(data + at, header) || !sameStream(header, stream.first)) {
            // Resynchronise: the next header that another one follows.
            while (at < end && !(frameAt(data, at, end, header) && (!found || sameStream(header, stream.first)))) ++at;
            if (at >= end) break;
        } else if (header.frameBytes > end - at) {
            truncated = true;
            break;
        }
        if (!found) {
            stream.first = header;
            found = true;
            if (header.layer != 3) {
                error = "unsupported MPEG audio: layer " + std::string(header.layer == 1 ? "I" : "II") +
                        " (only layer III plays)";
                return false;
            }
            if (isInfoFrame(data + at, header)) {
                at += header.frameBytes;
                continue;
            }
        }
        stream.frames.insert(stream.frames.end(), data + at, data + at + header.frameBytes);
        ++stream.frameCount;
        at += header.frameBytes;
    }
    if (!found) {
        error = "corrupt MP3: no MPEG audio frames found";
        return false;
    }
    if (truncated) {
        error = "truncated MP3: the last frame is cut short";
        return false;
    }
    if (stream.frameCount == 0) {
        error = "no audio: the MP3 holds no audio frames";
        return false;
    }
    if (stream.frameCount > maxDecodedSamples / stream.first.samplesPerFrame / stream.first.channels) {
        error = "too long: the MP3 decodes to more audio than the player holds in memory";
        return false;
    }
    return true;
}
