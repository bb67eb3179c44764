// Ogg Vorbis decoding through stb_vorbis: the check that the stream is Vorbis
// and whole, the title from the comments, and the samples of the left and
// right channels.
#define STB_VORBIS_HEADER_ONLY
#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API
#include <stb_vorbis.h>

#include "host/audio/decoders.h"
#include "host/audio/text.h"
#include "host/audio/vorbis_headers.h"
#include "host/audio/vorbis_memory.h"

#include <climits>
#include <cstring>
#include <memory>

namespace {

// The most frames one byte of a stream is taken to make: a long block of
// 8192 samples coded in a packet of a few bits.
constexpr size_t maxFramesPerByte = 4096;

// Gives back the decoder's leftovers when a decode ends.
struct VorbisHeap {
    ~VorbisHeap() { vorbisReleaseAll(); }
};

struct VorbisCloser {
    void operator()(stb_vorbis* v) const { stb_vorbis_close(v); }
};

// The first packet's codec when the first page is whole; empty when it is not
// recognisable as an Ogg page.
std::string firstPacketCodec(const uint8_t* data, size_t size) {
    if (size < 28) return std::string();
    size_t segments = data[26];
    size_t start = 27 + segments;
    if (start > size) return std::string();
    const uint8_t* packet = data + start;
    size_t left = size - start;
    auto startsWith = [&](const char* magic, size_t length) {
        return left >= length && memcmp(packet, magic, length) == 0;
    };
    if (startsWith("\x01vorbis", 7)) return "Vorbis";
    if (startsWith("OpusHead", 8)) return "Opus";
    if (startsWith("\x7F" "FLAC", 5)) return "FLAC";
    if (startsWith("Speex   ", 8)) return "Speex";
    if (startsWith("\x80theora", 7)) return "Theora";
    if (startsWith("fishead", 7)) return "Skeleton";
    return "an unknown codec";
}

// True when every Ogg page that follows another is complete: a file cut in
// the middle of a page is truncated. Bytes that are not a page end the walk.
bool pagesComplete(const uint8_t* data, size_t size) {
    size_t at = 0;
    while (size - at >= 4 && memcmp(data + at, "OggS", 4) == 0) {
        if (size - at < 27) return false;
        size_t segments = data[at + 26];
        if (size - at - 27 < segments) return false;
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i) body += data[at + 27 + i];
        size_t page = 27 + segments + body;
        if (size - at < page) return false;
        at += page;
    }
    return true;
}

// One line for an error stb_vorbis reports.
std::string describeError(int code) {
    switch (code) {
    case VORBIS_outofmem: return "not enough memory for the Vorbis stream";
    case VORBIS_feature_not_supported: return "unsupported Vorbis stream: floor type 0";
    case VORBIS_too_many_channels: return "unsupported Vorbis stream: more than 16 channels";
    case VORBIS_unexpected_eof: return "truncated Ogg Vorbis: the stream ends in its headers";
    case VORBIS_invalid_setup: return "corrupt Vorbis headers";
    case VORBIS_invalid_stream: return "corrupt Vorbis stream";
    case VORBIS_ogg_skeleton_not_supported: return "unsupported Ogg stream: a skeleton track";
    default: return "corrupt Ogg stream (error " + std::to_string(code) + ")";
    }
}

// True when a comment's key is the upper-case name, in any case.
bool keyIs(const char* key, size_t length, const char* name) {
    if (length != strlen(name)) return false;
    for (size_t i = 0; i < length; ++i) {
        char c = key[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != name[i]) return false;
    }
    return true;
}

// "artist - title" from the comments, in Windows-1252.
std::string commentTitle(stb_vorbis* v) {
    stb_vorbis_comment comments = stb_vorbis_get_comment(v);
    std::string title, artist;
    for (int i = 0; i < comments.comment_list_length; ++i) {
        const char* entry = comments.comment_list[i];
        if (!entry) continue;
        const char* value = strchr(entry, '=');
        if (!value) continue;
        size_t keyLength = value - entry;
        ++value;
        std::string* slot = nullptr;
        if (keyIs(entry, keyLength, "TITLE")) slot = &title;
        if (keyIs(entry, keyLength, "ARTIST")) slot = &artist;
        if (slot && slot->empty()) {
            *slot = cleanTagText(utf8To1252(reinterpret_cast<const uint8_t*>(value), strlen(value)));
        }
    }
    return joinTitle(artist, title);
}

}  // namespace

bool decodeVorbis(const uint8_t* data, size_t size, DecodedAudio& out, std::string& error) {
    if (size < 4 || memcmp(data, "OggS", 4) != 0) {
        error = "not an Ogg file: no page header";
        return false;
    }
    std::string codec = firstPacketCodec(data, size);
    if (codec.empty()) {
        error = "truncated Ogg: the first page is cut short";
        return false;
    }
    if (codec != "Vorbis") {
        error = "unsupported Ogg stream: " + codec + " (only Vorbis plays)";
        return false;
    }
    if (size > INT_MAX) {
        error = "too large: an Ogg file over 2 GB";
        return false;
    }
    if (!pagesComplete(data, size)) {
        error = "truncated Ogg Vorbis: the last page is cut short";
        return false;
    }
    if (!checkVorbisHeaders(data, size, error)) return false;
    VorbisHeap heap;  // outlives the decoder
    int code = 0;
    std::unique_ptr<stb_vorbis, VorbisCloser> v(stb_vorbis_open_memory(data, static_cast<int>(size), &code, nullptr));
    if (!v) {
        error = describeError(code);
        return false;
    }
    stb_vorbis_info info = stb_vorbis_get_info(v.get());
    if (info.channels < 1 || info.sample_rate == 0 || info.sample_rate > INT_MAX) {
        error = "corrupt Vorbis headers: " + std::to_string(info.channels) + " channels at " +
                std::to_string(info.sample_rate) + " Hz";
        return false;
    }
    int kept = info.channels < 2 ? info.channels : 2;
    size_t frameLimit = maxDecodedSamples / kept;
    if (size < frameLimit / maxFramesPerByte) frameLimit = size * maxFramesPerByte;
    out.sampleRate = static_cast<int>(info.sample_rate);
    out.channels = kept;
    out.title = commentTitle(v.get());
    out.samples.clear();
    // The length the last page claims, when it is believable: one allocation
    // instead of a growing buffer.
    unsigned int claimed = stb_vorbis_stream_length_in_samples(v.get());
    if (claimed > 0 && claimed <= frameLimit) out.samples.reserve(static_cast<size_t>(claimed) * kept);
    // Vorbis orders three channels and five to eight as left, centre, right,
    // ...: the right channel is then the third.
    const int all = info.channels;
    const int right = (all == 3 || all >= 5) ? 2 : 1;
    const int chunkFrames = 4096;
    std::unique_ptr<float[]> chunk(new float[chunkFrames * all]);
    size_t frames = 0;
    for (;;) {
        int got = stb_vorbis_get_samples_float_interleaved(v.get(), all, chunk.get(), chunkFrames * all);
        if (got <= 0) break;
        frames += got;
        if (frames > frameLimit) {
            error = "too long: the Vorbis stream decodes to more audio than the player holds in memory";
            return false;
        }
        for (int frame = 0; frame < got; ++frame) {
            const float* source = chunk.get() + static_cast<size_t>(frame) * all;
            out.samples.push_back(source[0]);
            if (kept == 2) out.samples.push_back(source[right]);
        }
    }
    if (frames == 0) {
        error = "no audio: the Vorbis stream holds no samples";
        return false;
    }
    for (float& sample : out.samples) sample = clampSample(sample);
    return true;
}
