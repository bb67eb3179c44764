// MP3 decoding: the tags and frames are read here on every system; the
// frames are decoded by decodeMp3Frames (the system's codec on Windows).
#include "host/audio/decoders.h"
#include "host/audio/mp3.h"

bool decodeMp3(const uint8_t* data, size_t size, DecodedAudio& out, std::string& error) {
    Mp3Stream stream;
    if (!parseMp3(data, size, stream, error)) return false;
    if (!decodeMp3Frames(stream, out, error)) return false;
    out.title = stream.title;
    if (out.samples.empty()) {
        error = "no audio: the MP3 frames decode to no samples";
        return false;
    }
    return true;
}
