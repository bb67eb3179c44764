// The host's audio code: decoding of each format and its failures, tag titles
// in Windows-1252, and the rows a plug-in receives for known signals. Built
// natively (with sanitizers) and for Windows, where MP3 frames go through
// the system's codec under Wine.
#include "host/audio/audio.h"
#include "host/audio/decoders.h"
#include "host/audio/mp3.h"
#include "host/audio/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes readFixture(const std::string& name) {
    std::ifstream file(std::string(FIXTURE_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(file.good()) << "missing fixture " << name;
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void put16(Bytes& b, uint32_t v) { b.push_back(v & 0xFF), b.push_back((v >> 8) & 0xFF); }
void put32(Bytes& b, uint32_t v) { put16(b, v & 0xFFFF), put16(b, v >> 16); }
void putText(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

void putChunk(Bytes& b, const char* id, const Bytes& body) {
    putText(b, std::string(id, 4));
    put32(b, static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() & 1) b.push_back(0);
}

// A fmt chunk body; extensible when subFormat is non-zero.
Bytes fmtBody(uint16_t tag, int channels, uint32_t rate, int bits, uint16_t subFormat = 0) {
    Bytes f;
    put16(f, subFormat ? 0xFFFE : tag);
    put16(f, channels);
    put32(f, rate);
    put32(f, rate * channels * bits / 8);
    put16(f, channels * bits / 8);
    put16(f, bits);
    if (subFormat) {
        put16(f, 22);
        put16(f, bits);
        put32(f, 3);
        put16(f, subFormat);
        const uint8_t tail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
        f.insert(f.end(), tail, tail + 14);
    }
    return f;
}

// A RIFF/WAVE file of the given chunks (each id followed by its body).
Bytes wavFile(const std::vector<std::pair<const char*, Bytes>>& chunks) {
    Bytes body;
    putText(body, "WAVE");
    for (auto& chunk : chunks) putChunk(body, chunk.first, chunk.second);
    Bytes file;
    putChunk(file, "RIFF", body);
    return file;
}

DecodedAudio decodeOk(const Bytes& bytes) {
    DecodedAudio audio;
    std::string error;
    EXPECT_TRUE(decodeAudio(bytes.data(), bytes.size(), audio, error)) << error;
    return audio;
}

std::string decodeError(const Bytes& bytes) {
    DecodedAudio audio;
    std::string error;
    EXPECT_FALSE(decodeAudio(bytes.data(), bytes.size(), audio, error));
    EXPECT_TRUE(audio.samples.empty());
    return error;
}

// ---- WAV ----------------------------------------------------------------

// Each encoding carries the frames (-1, 0, 0.5) on the left and their
// negation (clipped to the encoding's range) on the right.
struct WavCase {
    const char* name;
    uint16_t tag;
    int bits;
    uint16_t subFormat;
    Bytes left, right;   // three samples each, encoded
    float rightValues[3];
};

Bytes le(std::initializer_list<uint64_t> values, int bytes) {
    Bytes b;
    for (uint64_t v : values) for (int i = 0; i < bytes; ++i) b.push_back((v >> (8 * i)) & 0xFF);
    return b;
}
uint64_t floatBits(float f) { uint32_t u; memcpy(&u, &f, 4); return u; }
uint64_t doubleBits(double d) { uint64_t u; memcpy(&u, &d, 8); return u; }

TEST(WavDecoding, EachEncodingReadsFullScale) {
    const WavCase cases[] = {
        {"PCM 8", 1, 8, 0, le({0x00, 0x80, 0xC0}, 1), le({0xFF, 0x80, 0x40}, 1), {127 / 128.0f, 0, -0.5f}},
        {"PCM 16", 1, 16, 0, le({0x8000, 0, 0x4000}, 2), le({0x7FFF, 0, 0xC000}, 2), {32767 / 32768.0f, 0, -0.5f}},
        {"PCM 24", 1, 24, 0, le({0x800000, 0, 0x400000}, 3), le({0x7FFFFF, 0, 0xC00000}, 3),
         {8388607 / 8388608.0f, 0, -0.5f}},
        {"PCM 32", 1, 32, 0, le({0x80000000, 0, 0x40000000}, 4), le({0x7FFFFFFF, 0, 0xC0000000}, 4),
         {1.0f, 0, -0.5f}},
        {"float 32", 3, 32, 0, le({floatBits(-1), 0, floatBits(0.5f)}, 4), le({floatBits(1), 0, floatBits(-0.5f)}, 4),
         {1.0f, 0, -0.5f}},
        {"float 64", 3, 64, 0, le({doubleBits(-1), 0, doubleBits(0.5)}, 8), le({doubleBits(1), 0, doubleBits(-0.5)}, 8),
         {1.0f, 0, -0.5f}},
        {"extensible PCM 16", 0, 16, 1, le({0x8000, 0, 0x4000}, 2), le({0x7FFF, 0, 0xC000}, 2),
         {32767 / 32768.0f, 0, -0.5f}},
        {"extensible float 32", 0, 32, 3, le({floatBits(-1), 0, floatBits(0.5f)}, 4),
         le({floatBits(1), 0, floatBits(-0.5f)}, 4), {1.0f, 0, -0.5f}},
    };
    for (const WavCase& c : cases) {
        SCOPED_TRACE(c.name);
        int width = c.bits / 8;
        Bytes stereo, mono;
        for (int i = 0; i < 3; ++i) {
            stereo.insert(stereo.end(), c.left.begin() + i * width, c.left.begin() + (i + 1) * width);
            stereo.insert(stereo.end(), c.right.begin() + i * width, c.right.begin() + (i + 1) * width);
        }
        DecodedAudio audio = decodeOk(wavFile({{"fmt ", fmtBody(c.tag, 2, 44100, c.bits, c.subFormat)}, {"data", stereo}}));
        EXPECT_EQ(audio.sampleRate, 44100);
        EXPECT_EQ(audio.channels, 2);
        EXPECT_EQ(audio.samples, (std::vector<float>{-1.0f, c.rightValues[0], 0, 0, 0.5f, c.rightValues[2]}));
        audio = decodeOk(wavFile({{"fmt ", fmtBody(c.tag, 1, 8000, c.bits, c.subFormat)}, {"data", c.left}}));
        EXPECT_EQ(audio.channels, 1);
        EXPECT_EQ(audio.sampleRate, 8000);
        EXPECT_EQ(audio.samples, (std::vector<float>{-1.0f, 0, 0.5f}));
    }
}

TEST(WavDecoding, KeepsTheFirstTwoOfMoreChannels) {
    Bytes data = le({0x4000, 0xC000, 0x7FFF, 0, 0, 0}, 2);  // two frames of three channels
    DecodedAudio audio = decodeOk(wavFile({{"fmt ", fmtBody(0, 3, 48000, 16, 1)}, {"data", data}}));
    EXPECT_EQ(audio.channels, 2);
    EXPECT_EQ(audio.samples, (std::vector<float>{0.5f, -0.5f, 0, 0}));
}

TEST(WavDecoding, NonFiniteFloatsAreSilenceAndOversAreClipped) {
    float values[] = {NAN, INFINITY, -INFINITY, 3.0f, -7.5f, 0.25f};
    Bytes data;
    for (float v : values) put32(data, static_cast<uint32_t>(floatBits(v)));
    DecodedAudio audio = decodeOk(wavFile({{"fmt ", fmtBody(3, 1, 44100, 32)}, {"data", data}}));
    EXPECT_EQ(audio.samples, (std::vector<float>{0, 0, 0, 1.0f, -1.0f, 0.25f}));
}

TEST(WavDecoding, WalksOddChunksAndTakesTheInfoTitle) {
    Bytes info;
    putText(info, "INFO");
    putChunk(info, "IART", Bytes{'Z', 'o', 0xEB, 0});          // Windows-1252 text
    putChunk(info, "ICMT", Bytes{'x'});                         // odd size, padded
    putChunk(info, "INAM", Bytes{'C', 'a', 'f', 0xC3, 0xA9, 0});  // UTF-8 text
    Bytes odd{1, 2, 3};
    DecodedAudio audio = decodeOk(wavFile({{"junk", odd}, {"fmt ", fmtBody(1, 1, 8000, 16)}, {"LIST", info},
                                           {"data", le({0x4000}, 2)}}));
    EXPECT_EQ(audio.title, "Zo\xEB - Caf\xE9");
    EXPECT_EQ(audio.samples, (std::vector<float>{0.5f}));
}

TEST(WavDecoding, UnknownDataSizeRunsToTheEndOfTheFile) {
    Bytes file = wavFile({{"fmt ", fmtBody(1, 1, 8000, 16)}, {"data", le({0x4000, 0xC000}, 2)}});
    memset(file.data() + file.size() - 8, 0xFF, 4);  // the data chunk's size
    EXPECT_EQ(decodeOk(file).samples, (std::vector<float>{0.5f, -0.5f}));
}

TEST(WavDecoding, BadFilesAreRefusedWithTheReason) {
    Bytes good = wavFile({{"fmt ", fmtBody(1, 2, 8000, 16)}, {"data", le({1, 2, 3, 4}, 2)}});
    Bytes notWave = good;
    memcpy(notWave.data() + 8, "AVI ", 4);
    Bytes zeroChannels = wavFile({{"fmt ", fmtBody(1, 0, 8000, 16)}, {"data", le({1}, 2)}});
    Bytes zeroRate = wavFile({{"fmt ", fmtBody(1, 1, 0, 16)}, {"data", le({1}, 2)}});
    Bytes badGuid = wavFile({{"fmt ", fmtBody(0, 1, 8000, 16, 1)}, {"data", le({1}, 2)}});
    badGuid[20 + 24 + 5] ^= 0x55;
    Bytes shortFmt = wavFile({{"fmt ", Bytes(14, 0)}, {"data", le({1}, 2)}});
    Bytes partialFrame = wavFile({{"fmt ", fmtBody(1, 2, 8000, 16)}, {"data", le({1}, 2)}});
    const struct {
        const char* name;
        Bytes bytes;
        const char* reason;
    } cases[] = {
        {"another RIFF type", notWave, "not a WAV file"},
        {"no fmt chunk", wavFile({{"data", le({1}, 2)}}), "no fmt chunk"},
        {"no data chunk", wavFile({{"fmt ", fmtBody(1, 1, 8000, 16)}}), "no data chunk"},
        {"short fmt chunk", shortFmt, "too short"},
        {"ADPCM", wavFile({{"fmt ", fmtBody(2, 1, 8000, 4)}, {"data", le({1}, 2)}}), "encoding 0x0002"},
        {"12-bit PCM", wavFile({{"fmt ", fmtBody(1, 1, 8000, 12)}, {"data", le({1}, 2)}}), "PCM with 12 bits"},
        {"16-bit float", wavFile({{"fmt ", fmtBody(3, 1, 8000, 16)}, {"data", le({1}, 2)}}), "IEEE float with 16 bits"},
        {"unknown sub-format", badGuid, "unknown sub-format"},
        {"no channels", zeroChannels, "0 channels"},
        {"no sample rate", zeroRate, "sample rate of 0"},
        {"data cut short", Bytes(good.begin(), good.end() - 3), "truncated"},
        {"header cut short", Bytes(good.begin(), good.begin() + 30), "truncated"},
        {"less than a frame", partialFrame, "no audio"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(decodeError(c.bytes).find(c.reason), std::string::npos) << decodeError(c.bytes);
    }
}

// ---- Ogg Vorbis -------------------------------------------------------------

TEST(VorbisDecoding, DecodesStereoWithTheCommentTitle) {
    DecodedAudio audio = decodeOk(readFixture("bins_stereo.ogg"));
    EXPECT_EQ(audio.sampleRate, 44100);
    EXPECT_EQ(audio.channels, 2);
    EXPECT_EQ(audio.samples.size(), 2u * 22050);
    EXPECT_EQ(audio.title, "Zo\xEB - Caf\xE9 ?");  // the snowman has no Windows-1252 byte
    audio = decodeOk(readFixture("mono_22k.ogg"));
    EXPECT_EQ(audio.sampleRate, 22050);
    EXPECT_EQ(audio.channels, 1);
    EXPECT_EQ(audio.title, "");
}

TEST(VorbisDecoding, ThreeChannelsGiveLeftAndRightNotCentre) {
    DecodedAudio audio = decodeOk(readFixture("three_channels.ogg"));
    ASSERT_EQ(audio.channels, 2);
    double energy[2] = {0, 0};
    for (size_t i = 0; i < audio.samples.size(); ++i) energy[i % 2] += audio.samples[i] * audio.samples[i];
    size_t frames = audio.samples.size() / 2;
    EXPECT_GT(energy[0] / frames, 0.1);  // a sine at half scale has 0.125
    EXPECT_GT(energy[1] / frames, 0.1);
}

TEST(VorbisDecoding, BadStreamsAreRefusedWithTheReason) {
    Bytes good = readFixture("bins_stereo.ogg");
    Bytes opus = good;
    memcpy(opus.data() + 28, "OpusHead", 8);
    // Comment counts and lengths larger than the header itself.
    size_t comments = std::search(good.begin(), good.end(), std::begin("\x03vorbis"), std::end("\x03vorbis") - 1) -
                      good.begin() + 7;
    uint32_t vendor = good[comments] | good[comments + 1] << 8;
    Bytes hugeVendor = good, hugeCount = good;
    memset(hugeVendor.data() + comments, 0xFF, 4);
    memcpy(hugeCount.data() + comments + 4 + vendor, "\x01\x00\x00\x20", 4);
    Bytes setupBroken = good;
    for (size_t i = 0x100; i < 0x180 && i < setupBroken.size(); ++i) setupBroken[i] ^= 0xA5;
    const struct {
        const char* name;
        Bytes bytes;
        const char* reason;
    } cases[] = {
        {"cut in the middle", Bytes(good.begin(), good.begin() + good.size() / 2), "truncated"},
        {"cut in the first page", Bytes(good.begin(), good.begin() + 20), "truncated"},
        {"Opus", opus, "Opus"},
        {"vendor longer than its header", hugeVendor, "corrupt Vorbis comments"},
        {"a third of a billion comments", hugeCount, "corrupt Vorbis comments"},
        {"broken setup", setupBroken, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error = decodeError(c.bytes);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_FALSE(error.empty());
    }
}

TEST(VorbisDecoding, HostileHeadersFoundByFuzzingAreRefused) {
    // Each of these made the packaged decoder write past a buffer or
    // overflow an integer before the headers were checked.
    const struct {
        const char* fixture;
        const char* reason;
    } cases[] = {
        {"hostile/vorbis_comment_list.ogg", "corrupt Vorbis comments"},
        {"hostile/vorbis_lookup_overflow.ogg", "a codebook of"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        std::string error = decodeError(readFixture(c.fixture));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(VorbisDecoding, CorruptPacketFoundByFuzzingDecodesWithoutFault) {
    // A packet whose window ends past the block left the decoder a negative
    // length to look its next window up by; the sanitizers watch the rest.
    Bytes file = readFixture("hostile/vorbis_negative_window.ogg");
    DecodedAudio audio;
    std::string error;
    if (decodeAudio(file.data(), file.size(), audio, error))
        EXPECT_LE(audio.channels, 2);
    else
        EXPECT_FALSE(error.empty());
}

// ---- MP3 --------------------------------------------------------------------

// The fixture's frames without its own ID3 tags.
Bytes untaggedFrames(const char* fixture) {
    Bytes file = readFixture(fixture);
    std::string ignored;
    size_t tag = readId3v2(file.data(), file.size(), ignored);
    size_t end = file.size() - (readId3v1(file.data(), file.size(), ignored) ? 128 : 0);
    return Bytes(file.begin() + tag, file.begin() + end);
}

// An ID3v2 tag of the given major version holding the given frames.
Bytes id3v2(int major, const std::vector<std::pair<std::string, Bytes>>& frames, uint8_t flags = 0) {
    Bytes body;
    for (auto& frame : frames) {
        putText(body, frame.first);
        uint32_t n = static_cast<uint32_t>(frame.second.size());
        if (major == 2) {
            body.push_back(n >> 16), body.push_back(n >> 8), body.push_back(n);
        } else if (major == 3) {
            body.push_back(n >> 24), body.push_back(n >> 16), body.push_back(n >> 8), body.push_back(n);
        } else {
            body.push_back((n >> 21) & 0x7F), body.push_back((n >> 14) & 0x7F), body.push_back((n >> 7) & 0x7F),
                body.push_back(n & 0x7F);
        }
        if (major > 2) body.push_back(0), body.push_back(0);
        body.insert(body.end(), frame.second.begin(), frame.second.end());
    }
    body.insert(body.end(), 7, 0);  // padding
    Bytes tag{'I', 'D', '3', static_cast<uint8_t>(major), 0, flags};
    uint32_t n = static_cast<uint32_t>(body.size());
    tag.push_back((n >> 21) & 0x7F), tag.push_back((n >> 14) & 0x7F), tag.push_back((n >> 7) & 0x7F),
        tag.push_back(n & 0x7F);
    tag.insert(tag.end(), body.begin(), body.end());
    return tag;
}

Bytes textFrame(uint8_t encoding, const Bytes& text) {
    Bytes content{encoding};
    content.insert(content.end(), text.begin(), text.end());
    return content;
}

std::string parsedTitle(const Bytes& file) {
    Mp3Stream stream;
    std::string error;
    EXPECT_TRUE(parseMp3(file.data(), file.size(), stream, error)) << error;
    return stream.title;
}

TEST(Mp3Tags, TitlesInEveryTextEncodingBecomeWindows1252) {
    Bytes frames = untaggedFrames("bins_stereo.mp3");
    const Bytes latin1{'C', 'a', 'f', 0xE9};
    const Bytes utf16le{0xFF, 0xFE, 'C', 0, 'a', 0, 'f', 0, 0xE9, 0, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE};
    const Bytes utf16be{'C' >> 8, 'C', 0, 'a', 0, 'f', 0, 0xE9, 0x26, 0x03};
    const Bytes utf8{'C', 'a', 'f', 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0};
    const struct {
        const char* name;
        Bytes tag;
        const char* title;
    } cases[] = {
        {"v2.3 Latin-1 with artist", id3v2(3, {{"TPE1", textFrame(0, {'Z', 'o', 0xEB})}, {"TIT2", textFrame(0, latin1)}}),
         "Zo\xEB - Caf\xE9"},
        {"v2.3 UTF-16 with BOM, euro and emoji", id3v2(3, {{"TIT2", textFrame(1, utf16le)}}), "Caf\xE9\x80?"},
        {"v2.4 UTF-16BE", id3v2(4, {{"TIT2", textFrame(2, utf16be)}}), "Caf\xE9?"},
        {"v2.4 UTF-8", id3v2(4, {{"TIT2", textFrame(3, utf8)}}), "Caf\xE9\x80"},
        {"v2.2", id3v2(2, {{"TT2", textFrame(0, latin1)}, {"TP1", textFrame(0, {'A'})}}), "A - Caf\xE9"},
        {"artist alone", id3v2(3, {{"TPE1", textFrame(0, {'A'})}}), ""},
        {"unknown encoding", id3v2(3, {{"TIT2", textFrame(9, latin1)}}), ""},
        {"frame larger than the tag", id3v2(3, {{"TIT2", textFrame(0, latin1)}}), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = c.tag;
        if (std::string(c.name) == "frame larger than the tag") file[14] = 0x7F;
        file.insert(file.end(), frames.begin(), frames.end());
        EXPECT_EQ(parsedTitle(file), c.title);
    }
}

TEST(Mp3Tags, Id3v1IsTheFallbackAndIsNotDecodedAsAudio) {
    Bytes frames = untaggedFrames("bins_stereo.mp3");
    Bytes v1(128, 0);
    memcpy(v1.data(), "TAGOld Title", 12);
    memcpy(v1.data() + 33, "Old Artist   ", 13);
    Bytes file = frames;
    file.insert(file.end(), v1.begin(), v1.end());
    Mp3Stream plain, tagged;
    std::string error;
    ASSERT_TRUE(parseMp3(frames.data(), frames.size(), plain, error)) << error;
    ASSERT_TRUE(parseMp3(file.data(), file.size(), tagged, error)) << error;
    EXPECT_EQ(tagged.title, "Old Artist - Old Title");
    EXPECT_EQ(tagged.frames, plain.frames);
    Bytes both = id3v2(3, {{"TIT2", textFrame(0, {'N', 'e', 'w'})}});
    both.insert(both.end(), file.begin(), file.end());
    EXPECT_EQ(parsedTitle(both), "New");
}

TEST(Mp3Frames, HeadersOfBothFixturesAreRead) {
    const struct {
        const char* fixture;
        int version, sampleRate, channels;
        const char* title;
    } cases[] = {
        {"bins_stereo.mp3", 1, 44100, 2, "Gyroquad - Two Bins"},
        {"mono_22k.mp3", 2, 22050, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        Bytes file = readFixture(c.fixture);
        Mp3Stream stream;
        std::string error;
        ASSERT_TRUE(parseMp3(file.data(), file.size(), stream, error)) << error;
        EXPECT_EQ(stream.first.version, c.version);
        EXPECT_EQ(stream.first.layer, 3);
        EXPECT_EQ(stream.first.sampleRate, c.sampleRate);
        EXPECT_EQ(stream.first.channels, c.channels);
        EXPECT_EQ(stream.title, c.title);
        // Every gathered frame starts with a header; the VBR info frame is left out.
        size_t at = 0, count = 0;
        MpegHeader header;
        while (at + 4 <= stream.frames.size() && readMpegHeader(stream.frames.data() + at, header)) {
            EXPECT_EQ(memcmp(stream.frames.data() + at + 36, "Xing", 4) == 0 ||
                          memcmp(stream.frames.data() + at + 21, "Info", 4) == 0, false);
            at += header.frameBytes, ++count;
        }
        EXPECT_EQ(at, stream.frames.size());
        EXPECT_EQ(count, stream.frameCount);
    }
}

TEST(Mp3Frames, JunkBetweenFramesIsSkipped) {
    Bytes frames = untaggedFrames("bins_stereo.mp3");
    Mp3Stream plain, junky;
    std::string error;
    ASSERT_TRUE(parseMp3(frames.data(), frames.size(), plain, error)) << error;
    Bytes file = frames;
    MpegHeader first, second;
    ASSERT_TRUE(readMpegHeader(file.data(), first));
    ASSERT_TRUE(readMpegHeader(file.data() + first.frameBytes, second));
    file.insert(file.begin() + first.frameBytes + second.frameBytes, {0xFF, 0xFB, 0x00, 'j', 'u', 'n', 'k'});
    ASSERT_TRUE(parseMp3(file.data(), file.size(), junky, error)) << error;
    EXPECT_EQ(junky.frames, plain.frames);
}

TEST(Mp3Frames, BadStreamsAreRefusedWithTheReason) {
    Bytes frames = untaggedFrames("bins_stereo.mp3");
    Bytes layer2;  // five frames of MPEG-1 layer II, 128 kbit/s, 44100 Hz, mono
    for (int i = 0; i < 5; ++i) {
        layer2.insert(layer2.end(), {0xFF, 0xFD, 0x80, 0xC4});
        layer2.insert(layer2.end(), 413, 0);
    }
    Bytes tagOnly = id3v2(3, {{"TIT2", textFrame(0, {'T'})}});
    const struct {
        const char* name;
        Bytes bytes;
        const char* reason;
    } cases[] = {
        {"last frame cut short", Bytes(frames.begin(), frames.end() - 100), "truncated MP3"},
        {"a tag and nothing else", tagOnly, "no MPEG audio frames"},
        {"cut inside the tag", Bytes(tagOnly.begin(), tagOnly.end() - 3), "truncated MP3: the ID3v2 tag"},
        {"layer II", layer2, "layer II"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Mp3Stream stream;
        std::string error;
        EXPECT_FALSE(parseMp3(c.bytes.data(), c.bytes.size(), stream, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_NE(decodeError(c.bytes).find(c.reason), std::string::npos);
    }
}

// ---- Text -------------------------------------------------------------------

TEST(TagText, ConversionsToWindows1252) {
    auto bytes = [](const char* s) { return reinterpret_cast<const uint8_t*>(s); };
    EXPECT_EQ(utf8To1252(bytes("\xE2\x82\xAC \xC5\x93 \xE2\x84\xA2 \xC3\xBF"), 13), "\x80 \x9C \x99 \xFF");
    EXPECT_EQ(utf8To1252(bytes("a\xC3z\xF0\x9F\x98\x80\xC0\xAF"), 9), "a?z???");  // cut, emoji, overlong
    const uint8_t loneSurrogate[] = {0x00, 0xD8, 'x', 0};
    EXPECT_EQ(utf16To1252(loneSurrogate, 4, false), "?x");
    EXPECT_EQ(singleByteTo1252(bytes("Caf\xE9\x81"), 5), "Caf\xE9?");   // Windows-1252, unused byte
    EXPECT_EQ(singleByteTo1252(bytes("Caf\xC3\xA9\0zz"), 8), "Caf\xE9");  // UTF-8, up to the NUL
    EXPECT_EQ(cleanTagText("  a\tb\x7F  "), "a b");
    EXPECT_EQ(cleanTagText(std::string(1000, 'x')).size(), maxTitleBytes);
}

// ---- Format detection -----------------------------------------------------

TEST(AudioFiles, UnknownAndEmptyDataAreRefused) {
    EXPECT_EQ(decodeError(Bytes()), "empty file");
    EXPECT_NE(decodeError(Bytes{'f', 'L', 'a', 'C', 0, 0}).find("FLAC"), std::string::npos);
    EXPECT_NE(decodeError(Bytes(1000, 0x55)).find("unrecognised"), std::string::npos);
    Bytes mp3 = readFixture("bins_stereo.mp3");
    EXPECT_NE(decodeError(Bytes(mp3.begin(), mp3.begin() + 3)).find("MP3"), std::string::npos);  // "ID3" alone
}

TEST(AudioFiles, Mp3DecodesThroughTheSystemCodec) {
    const struct {
        const char* fixture;
        int sampleRate, channels;
        double seconds;
    } cases[] = {
        {"bins_stereo.mp3", 44100, 2, 0.5},
        {"mono_22k.mp3", 22050, 1, 0.3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        Bytes file = readFixture(c.fixture);
        DecodedAudio audio;
        std::string error;
        bool ok = decodeAudio(file.data(), file.size(), audio, error);
#ifndef _WIN32
        EXPECT_FALSE(ok);
        EXPECT_EQ(error, "MP3 decoding needs the Windows audio codec manager");
        continue;
#endif
        if (!ok && error.find("no MPEG layer III codec") != std::string::npos) GTEST_SKIP() << error;
        ASSERT_TRUE(ok) << error;
        EXPECT_EQ(audio.sampleRate, c.sampleRate);
        EXPECT_EQ(audio.channels, c.channels);
        double seconds = static_cast<double>(audio.samples.size() / c.channels) / c.sampleRate;
        EXPECT_NEAR(seconds, c.seconds, 0.1);  // encoder delay and padding
    }
}

// ---- Rows -------------------------------------------------------------------

struct Rows {
    unsigned char waveform[rowChannels][rowBytes];
    unsigned char spectrum[rowChannels][rowBytes];
};

Rows rowsAt(const DecodedAudio& audio, size_t position) {
    Rows rows;
    memset(&rows, 0xAB, sizeof rows);
    prepareRows(audio, position, rows.waveform, rows.spectrum);
    return rows;
}

DecodedAudio synthesised(int channels, size_t frames, float (*left)(size_t), float (*right)(size_t) = nullptr) {
    DecodedAudio audio;
    audio.sampleRate = 44100;
    audio.channels = channels;
    for (size_t i = 0; i < frames; ++i) {
        audio.samples.push_back(left(i));
        if (channels == 2) audio.samples.push_back(right(i));
    }
    return audio;
}

// The spectrum byte that shows FFT bin `bin` first, and the one after its last.
int firstByteOfBin(int bin) { return ((bin - 1) * rowBytes + 255) / 256; }

const double pi = 3.14159265358979323846;

TEST(Rows, SilenceAndPositionsOutsideTheFileAreZero) {
    DecodedAudio silence = synthesised(2, 4096, [](size_t) { return 0.0f; }, [](size_t) { return 0.0f; });
    DecodedAudio loud = synthesised(1, 4096, [](size_t i) { return i % 2 ? 1.0f : -1.0f; });
    const struct {
        const char* name;
        const DecodedAudio& audio;
        size_t position;
    } cases[] = {
        {"silence", silence, 2048},
        {"before anything is heard", loud, 0},
        {"past the end", loud, 4096 + 576},
        {"far past the end", loud, size_t(1) << 40},
        {"no audio at all", DecodedAudio(), 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rows rows = rowsAt(c.audio, c.position);
        for (int ch = 0; ch < rowChannels; ++ch) {
            for (int i = 0; i < rowBytes; ++i) {
                ASSERT_EQ(rows.waveform[ch][i], 0) << ch << "/" << i;
                ASSERT_EQ(rows.spectrum[ch][i], 0) << ch << "/" << i;
            }
        }
    }
}

TEST(Rows, WaveformIsTheFramesHeardLastAsSignedBytes) {
    // A full-scale square wave: 0x7F and 0x80 exactly; a ramp shows which
    // frames the row holds.
    DecodedAudio audio = synthesised(2, 2000, [](size_t i) { return (i / 8) % 2 ? 1.0f : -1.0f; },
                                     [](size_t i) { return static_cast<float>(static_cast<int>(i % 256) - 128) / 128.0f; });
    const size_t position = 1500;
    Rows rows = rowsAt(audio, position);
    for (int i = 0; i < rowBytes; ++i) {
        size_t frame = position - rowBytes + i;
        ASSERT_EQ(rows.waveform[0][i], (frame / 8) % 2 ? 0x7F : 0x80) << i;
        ASSERT_EQ(rows.waveform[1][i], static_cast<unsigned char>(static_cast<int>(frame % 256) - 128)) << i;
    }
    // Near the start, the frames before the file are silence.
    rows = rowsAt(audio, 100);
    EXPECT_EQ(rows.waveform[0][rowBytes - 101], 0);
    EXPECT_EQ(rows.waveform[0][rowBytes - 100], 0x80);
}

TEST(Rows, SineCentredOnABinPeaksThere) {
    // Bin 32 on the left at full scale, bin 100 on the right at a tenth (-20 dB).
    DecodedAudio audio = synthesised(2, 8192, [](size_t i) { return static_cast<float>(std::sin(2 * pi * 32 * i / 512)); },
                                     [](size_t i) { return static_cast<float>(0.1 * std::sin(2 * pi * 100 * i / 512)); });
    Rows rows = rowsAt(audio, 5000);
    const struct {
        int channel, bin;
        int peak, side;  // 0 dB reads 255; the Hann window's neighbours are 6 dB lower
    } cases[] = {{0, 32, 255, 233}, {1, 100, 182, 160}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.channel);
        for (int i = 0; i < rowBytes; ++i) {
            int bin = 1 + i * 256 / rowBytes;
            int expected = bin == c.bin ? c.peak : (bin == c.bin - 1 || bin == c.bin + 1) ? c.side : 0;
            ASSERT_NEAR(rows.spectrum[c.channel][i], expected, 1) << "byte " << i << ", bin " << bin;
        }
        EXPECT_EQ(rows.spectrum[c.channel][firstByteOfBin(c.bin)], c.peak);
    }
}

TEST(Rows, MonoFillsBothRowsAlike) {
    DecodedAudio audio = synthesised(1, 3000, [](size_t i) { return static_cast<float>(0.7 * std::sin(0.05 * i)); });
    Rows rows = rowsAt(audio, 2000);
    EXPECT_EQ(memcmp(rows.waveform[0], rows.waveform[1], rowBytes), 0);
    EXPECT_EQ(memcmp(rows.spectrum[0], rows.spectrum[1], rowBytes), 0);
    EXPECT_NE(rows.spectrum[0][firstByteOfBin(4)], 0);
}

TEST(Rows, DecodedFilesShowTheirTonesInTheirBins) {
    for (const char* fixture : {"bins_stereo.ogg", "bins_stereo.mp3"}) {
        SCOPED_TRACE(fixture);
#ifndef _WIN32
        if (std::string(fixture).find(".mp3") != std::string::npos) continue;  // no codec natively
#endif
        DecodedAudio audio = decodeOk(readFixture(fixture));
        ASSERT_EQ(audio.channels, 2);
        Rows rows = rowsAt(audio, 11025);
        const int bins[2] = {32, 64};  // half of full scale: about -6 dB
        for (int ch = 0; ch < 2; ++ch) {
            SCOPED_TRACE(ch);
            int peakByte = 0;
            for (int i = 0; i < rowBytes; ++i) {
                if (rows.spectrum[ch][i] > rows.spectrum[ch][peakByte]) peakByte = i;
            }
            EXPECT_EQ(1 + peakByte * 256 / rowBytes, bins[ch]);
            EXPECT_NEAR(rows.spectrum[ch][peakByte], 233, 4);
        }
    }
}

}  // namespace
