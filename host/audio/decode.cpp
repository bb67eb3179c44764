// decodeAudio: tells the format by the first bytes and hands the data to its
// decoder. Memory failures end up as an error line, never as a crash.
#include "host/audio/decoders.h"
#include "host/audio/mp3.h"

#include <cstring>
#include <new>

namespace {

// True when the data opens with the magic text.
bool startsWith(const uint8_t* data, size_t size, const char* magic) {
    size_t length = strlen(magic);
    return size >= length && memcmp(data, magic, length) == 0;
}

// True when the data opens with an MPEG audio frame whose successor is one too.
bool opensWithMpegFrame(const uint8_t* data, size_t size) {
    MpegHeader header, next;
    if (size < 4 || !readMpegHeader(data, header)) return false;
    if (header.frameBytes == size) return true;
    return header.frameBytes + 4 <= size && readMpegHeader(data + header.frameBytes, next);
}

}  // namespace

bool decodeAudio(const uint8_t* data, size_t size, DecodedAudio& out, std::string& error) {
    out = DecodedAudio();
    if (size == 0) {
        error = "empty file";
        return false;
    }
    bool ok;
    try {
        if (startsWith(data, size, "RIFF")) {
            ok = decodeWav(data, size, out, error);
        } else if (startsWith(data, size, "OggS")) {
            ok = decodeVorbis(data, size, out, error);
        } else if (startsWith(data, size, "ID3") || opensWithMpegFrame(data, size)) {
            ok = decodeMp3(data, size, out, error);
        } else if (startsWith(data, size, "fLaC")) {
            error = "unsupported format: FLAC (WAV, Ogg Vorbis and MP3 play)";
            ok = false;
        } else {
            error = "unrecognised format (WAV, Ogg Vorbis and MP3 play)";
            ok = false;
        }
    } catch (const std::bad_alloc&) {
        error = "not enough memory to decode the file";
        ok = false;
    }
    if (!ok) out = DecodedAudio();
    return ok;
}
