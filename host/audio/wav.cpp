// RIFF/WAVE decoding: the chunk walk, the format chunk, the INFO title and the
// sample conversions. Sizes in the file are trusted only as far as the bytes
// present bear them out.
#include "host/audio/decoders.h"
#include "host/audio/text.h"

#include <cmath>
#include <cstring>

namespace {

constexpr uint16_t formatPcm = 0x0001;
constexpr uint16_t formatFloat = 0x0003;
constexpr uint16_t formatExtensible = 0xFFFE;
// Bytes 4..15 of the sub-format GUIDs of the standard encodings (bytes 0..1
// are the encoding's tag, bytes 2..3 zero).
const uint8_t guidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// Little-endian integers of 16 and 32 bits.
uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct WavFormat {
    uint16_t encoding = 0;   // formatPcm or formatFloat once resolved
    int channels = 0;
    uint32_t sampleRate = 0;
    int bytesPerSample = 0;
};

// Reads the format chunk; false with the reason when it is not one we play.
bool readFormat(const uint8_t* body, uint32_t size, WavFormat& format, std::string& error) {
    if (size < 16) {
        error = "corrupt WAV: the fmt chunk is " + std::to_string(size) + " bytes long, too short";
        return false;
    }
    uint16_t tag = le16(body);
    format.channels = le16(body + 2);
    format.sampleRate = le32(body + 4);
    int bits = le16(body + 14);
    format.encoding = tag;
    if (tag == formatExtensible) {
        if (size < 40 || le16(body + 16) < 22) {
            error = "corrupt WAV: the extensible fmt chunk is too short";
            return false;
        }
        const uint8_t* guid = body + 24;
        format.encoding = le16(guid);
        if (le16(guid + 2) != 0 || memcmp(guid + 4, guidTail, sizeof guidTail) != 0) {
            error = "unsupported WAV encoding: extensible with an unknown sub-format";
            return false;
        }
    }
    char tagText[8];
    snprintf(tagText, sizeof tagText, "0x%04X", format.encoding);
    if (format.encoding != formatPcm && format.encoding != formatFloat) {
        error = std::string("unsupported WAV encoding ") + tagText + " (only PCM and IEEE float play)";
        return false;
    }
    bool pcmBits = bits == 8 || bits == 16 || bits == 24 || bits == 32;
    bool floatBits = bits == 32 || bits == 64;
    if ((format.encoding == formatPcm && !pcmBits) || (format.encoding == formatFloat && !floatBits)) {
        error = std::string("unsupported WAV sample format: ") +
                (format.encoding == formatPcm ? "PCM" : "IEEE float") + " with " + std::to_string(bits) + " bits";
        return false;
    }
    format.bytesPerSample = bits / 8;
    if (format.channels == 0) {
        error = "corrupt WAV: the fmt chunk gives 0 channels";
        return false;
    }
    if (format.sampleRate == 0 || format.sampleRate > 0x7FFFFFFF) {
        error = "corrupt WAV: the fmt chunk gives a sample rate of " + std::to_string(format.sampleRate) + " Hz";
        return false;
    }
    return true;
}

// One sample at p, full scale -1..1; non-finite floats read as 0 and larger
// ones are clipped.
float readSample(const uint8_t* p, const WavFormat& format) {
    if (format.encoding == formatFloat) {
        double value;
        if (format.bytesPerSample == 4) {
            uint32_t bits = le32(p);
            float f;
            memcpy(&f, &bits, 4);
            value = f;
        } else {
            uint64_t bits = le32(p) | (static_cast<uint64_t>(le32(p + 4)) << 32);
            memcpy(&value, &bits, 8);
        }
        if (!std::isfinite(value)) return 0.0f;
        return static_cast<float>(value < -1.0 ? -1.0 : value > 1.0 ? 1.0 : value);
    }
    switch (format.bytesPerSample) {
    case 1: return (p[0] - 128) / 128.0f;
    case 2: return static_cast<int16_t>(le16(p)) / 32768.0f;
    case 3: return static_cast<int32_t>((p[0] << 8) | (p[1] << 16) | (static_cast<uint32_t>(p[2]) << 24)) / 2147483648.0f;
    default: return static_cast<float>(static_cast<int32_t>(le32(p)) / 2147483648.0);
    }
}

// The title from a LIST/INFO chunk's INAM and IART entries.
std::string readInfoTitle(const uint8_t* body, size_t size) {
    std::string name, artist;
    size_t at = 4;
    while (at + 8 <= size) {
        uint32_t length = le32(body + at + 4);
        size_t present = size - at - 8;
        size_t used = length < present ? length : present;
        std::string text = cleanTagText(singleByteTo1252(body + at + 8, used));
        if (memcmp(body + at, "INAM", 4) == 0) name = text;
        if (memcmp(body + at, "IART", 4) == 0) artist = text;
        if (length >= present) break;
        at += 8 + length + (length & 1);
    }
    return joinTitle(artist, name);
}

}  // namespace

bool decodeWav(const uint8_t* data, size_t size, DecodedAudio& out, std::string& error) {
    if (size < 12 || memcmp(data, "RIFF", 4) != 0) {
        error = "not a WAV file: no RIFF header";
        return false;
    }
    if (memcmp(data + 8, "WAVE", 4) != 0) {
        error = "not a WAV file: a RIFF file of another type";
        return false;
    }
    WavFormat format;
    bool haveFormat = false;
    const uint8_t* samples = nullptr;
    size_t sampleBytes = 0;
    std::string title;
    size_t at = 12;
    while (size - at >= 8) {
        const uint8_t* id = data + at;
        uint32_t length = le32(data + at + 4);
        size_t present = size - at - 8;
        const uint8_t* body = data + at + 8;
        bool isData = memcmp(id, "data", 4) == 0;
        if (length > present) {
            // NOTE: writers that cannot seek back leave 0xFFFFFFFF in the data
            // size: the samples then run to the end of the file.
            if (isData && length == 0xFFFFFFFF && !samples) {
                samples = body, sampleBytes = present;
                break;
            }
            if (isData || !samples) {
                error = "truncated WAV: the '" + std::string(reinterpret_cast<const char*>(id), 4) + "' chunk declares " +
                        std::to_string(length) + " bytes, only " + std::to_string(present) + " are present";
                return false;
            }
            break;  // a cut chunk after the samples costs nothing
        }
        if (memcmp(id, "fmt ", 4) == 0 && !haveFormat) {
            if (!readFormat(body, length, format, error)) return false;
            haveFormat = true;
        } else if (isData && !samples) {
            samples = body, sampleBytes = length;
        } else if (memcmp(id, "LIST", 4) == 0 && length >= 4 && memcmp(body, "INFO", 4) == 0) {
            title = readInfoTitle(body, length);
        }
        size_t advance = 8 + static_cast<size_t>(length) + (length & 1);
        if (advance >= size - at) break;
        at += advance;
    }
    if (!haveFormat) {
        error = "corrupt WAV: no fmt chunk";
        return false;
    }
    if (!samples) {
        error = "corrupt WAV: no data chunk";
        return false;
    }
    size_t frameBytes = static_cast<size_t>(format.channels) * format.bytesPerSample;
    size_t frames = sampleBytes / frameBytes;
    if (frames == 0) {
        error = "no audio: the data chunk holds no complete sample frame";
        return false;
    }
    int kept = format.channels < 2 ? format.channels : 2;
    if (frames > maxDecodedSamples / kept) {
        error = "too long: " + std::to_string(frames) + " sample frames exceed what the player holds in memory";
        return false;
    }
    out.sampleRate = static_cast<int>(format.sampleRate);
    out.channels = kept;
    out.title = title;
    out.samples.resize(frames * kept);
    float* sample = out.samples.data();
    for (size_t frame = 0; frame < frames; ++frame) {
        const uint8_t* p = samples + frame * frameBytes;
        for (int channel = 0; channel < kept; ++channel) {
            *sample++ = readSample(p + channel * format.bytesPerSample, format);
        }
    }
    return true;
}
