// A check of the Vorbis comment and setup headers before stb_vorbis reads
// them. NOTE: the stb_vorbis that Debian ships trusts counts and sizes in
// these headers that a hostile file can set (comment counts and lengths, the
// size of a codebook's value table, a sixteenth submap), and writes past its
// buffers or overflows its integers when they are absurd. Headers that carry such values are refused
// here; anything else that is malformed is left for the decoder to report.
#include "host/audio/vorbis_headers.h"

#include "host/audio/vorbis_memory.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Vorbis packs its fields least significant bit first.
struct BitReader {
    const uint8_t* data;
    size_t size;
    size_t bit = 0;
    bool exhausted = false;

    uint32_t read(int count) {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            if (bit >= size * 8) {
                exhausted = true;
                return 0;
            }
            value |= static_cast<uint32_t>((data[bit / 8] >> (bit % 8)) & 1) << i;
            ++bit;
        }
        return value;
    }
    void skip(uint64_t count) {
        if (count > size * 8 - bit) {
            exhausted = true;
            bit = size * 8;
        } else {
            bit += count;
        }
    }
};

// The number of bits value needs.
int ilog(uint32_t value) {
    int bits = 0;
    while (value) ++bits, value >>= 1;
    return bits;
}

// The largest r with r^dimensions <= entries.
uint64_t lookup1Values(uint32_t entries, uint32_t dimensions) {
    uint64_t r = static_cast<uint64_t>(std::floor(std::exp(std::log(static_cast<double>(entries)) / dimensions)));
    auto fits = [&](uint64_t base) {
        uint64_t power = 1;
        for (uint32_t i = 0; i < dimensions; ++i) {
            power *= base;
            if (power > entries) return false;
        }
        return true;
    };
    while (r > 0 && !fits(r)) --r;
    while (fits(r + 1)) ++r;
    return r;
}

// Reads the codebooks; false with the reason when one is absurd. Stops early,
// answering true, where the data runs out or is malformed.
bool checkCodebooks(BitReader& bits, int count, std::string& error) {
    for (int i = 0; i < count; ++i) {
        if (bits.read(24) != 0x564342) return true;
        uint32_t dimensions = bits.read(16);
        uint32_t entries = bits.read(24);
        bool ordered = bits.read(1);
        if (!ordered) {
            bool sparse = bits.read(1);
            for (uint32_t e = 0; e < entries && !bits.exhausted; ++e) {
                if (!sparse || bits.read(1)) bits.read(5);
            }
        } else {
            bits.read(5);
            uint32_t current = 0;
            while (current < entries && !bits.exhausted) {
                current += bits.read(ilog(entries - current));
            }
            if (current > entries) return true;
        }
        uint32_t lookup = bits.read(4);
        if (lookup == 0) continue;
        if (lookup > 2 || dimensions == 0 || bits.exhausted) return true;
        // NOTE: the decoder sizes this table in an int; past 2^24 values it
        // would wrap, and the table could not be held anyway.
        if (static_cast<uint64_t>(entries) * dimensions > (uint64_t(1) << 24)) {
            error = "unsupported Vorbis stream: a codebook of " + std::to_string(entries) + " entries in " +
                    std::to_string(dimensions) + " dimensions";
            return false;
        }
        bits.read(32), bits.read(32);
        int valueBits = static_cast<int>(bits.read(4)) + 1;
        bits.read(1);
        uint64_t values = lookup == 1 ? lookup1Values(entries, dimensions) : uint64_t(entries) * dimensions;
        // NOTE: the decoder finds the lookup-1 value count with powers of the
        // count plus one, converted to int: they must stay within an int.
        if (lookup == 1 && std::pow(static_cast<double>(values) + 2.0, dimensions) >= 2147483647.0) {
            error = "unsupported Vorbis stream: a codebook of " + std::to_string(entries) + " entries in " +
                    std::to_string(dimensions) + " dimensions";
            return false;
        }
        bits.skip(values * valueBits);
        if (bits.exhausted) return true;
    }
    return true;
}

// Reads up to the mappings; false when one has 16 submaps (the decoder holds 15).
bool checkMappings(BitReader& bits, int channels, std::string& error) {
    int times = static_cast<int>(bits.read(6)) + 1;
    for (int i = 0; i < times; ++i) bits.read(16);
    int floors = static_cast<int>(bits.read(6)) + 1;
    for (int i = 0; i < floors; ++i) {
        if (bits.read(16) != 1 || bits.exhausted) return true;  // floor 0 is refused by the decoder
        int partitions = static_cast<int>(bits.read(5));
        int classList[32];
        int maxClass = -1;
        for (int j = 0; j < partitions; ++j) {
            classList[j] = static_cast<int>(bits.read(4));
            if (classList[j] > maxClass) maxClass = classList[j];
        }
        int dimensions[16];
        for (int j = 0; j <= maxClass; ++j) {
            dimensions[j] = static_cast<int>(bits.read(3)) + 1;
            int subclasses = static_cast<int>(bits.read(2));
            if (subclasses) bits.read(8);
            for (int k = 0; k < (1 << subclasses); ++k) bits.read(8);
        }
        bits.read(2);
        int rangeBits = static_cast<int>(bits.read(4));
        for (int j = 0; j < partitions; ++j) bits.skip(static_cast<uint64_t>(dimensions[classList[j]]) * rangeBits);
    }
    int residues = static_cast<int>(bits.read(6)) + 1;
    for (int i = 0; i < residues; ++i) {
        bits.read(16), bits.read(24), bits.read(24), bits.read(24);
        int classifications = static_cast<int>(bits.read(6)) + 1;
        bits.read(8);
        int cascadeBooks = 0;
        for (int j = 0; j < classifications; ++j) {
            uint32_t cascade = bits.read(3);
            if (bits.read(1)) cascade |= bits.read(5) << 3;
            for (int k = 0; k < 8; ++k) cascadeBooks += (cascade >> k) & 1;
        }
        bits.skip(static_cast<uint64_t>(cascadeBooks) * 8);
    }
    int mappings = static_cast<int>(bits.read(6)) + 1;
    for (int i = 0; i < mappings && !bits.exhausted; ++i) {
        if (bits.read(16) != 0) return true;
        int submaps = bits.read(1) ? static_cast<int>(bits.read(4)) + 1 : 1;
        if (submaps > 15) {
            error = "unsupported Vorbis stream: a mapping with 16 submaps";
            return false;
        }
        if (bits.read(1)) {
            int steps = static_cast<int>(bits.read(8)) + 1;
            bits.skip(static_cast<uint64_t>(steps) * 2 * ilog(static_cast<uint32_t>(channels - 1)));
        }
        bits.read(2);
        if (submaps > 1) bits.skip(static_cast<uint64_t>(channels) * 4);
        bits.skip(static_cast<uint64_t>(submaps) * 24);
    }
    return true;
}

// A little-endian 32-bit integer.
uint32_t le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// False with the reason when the comment packet's counts and lengths exceed
// the packet, or the comments would take an unreasonable amount of memory.
bool checkComments(const std::vector<uint8_t>& packet, std::string& error) {
    const char* tooLarge = "corrupt Vorbis comments: their sizes exceed the header";
    size_t at = 7;
    if (packet.size() < at + 8) return true;  // the decoder reports the short packet
    uint64_t memory = 0;
    uint32_t vendor = le32(packet.data() + at);
    at += 4;
    if (vendor > packet.size() - at) return error = tooLarge, false;
    at += vendor;
    memory += vendor + 8;
    if (packet.size() - at < 4) return error = tooLarge, false;
    uint32_t count = le32(packet.data() + at);
    at += 4;
    if (count > (packet.size() - at) / 4) return error = tooLarge, false;
    memory += uint64_t(count) * 8;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t length = le32(packet.data() + at);
        at += 4;
        if (length > packet.size() - at) return error = tooLarge, false;
        at += length;
        memory += uint64_t(length) + 8;
        if (i + 1 < count && packet.size() - at < 4) return error = tooLarge, false;
    }
    if (memory > vorbisMemoryLimit / 2) {
        error = "unsupported Vorbis stream: comments of more than " + std::to_string(vorbisMemoryLimit / 2 >> 20) + " MB";
        return false;
    }
    return true;
}

// The first `count` packets of the stream, joined across pages in file order
// as the decoder reads them; fewer when the pages end first.
std::vector<std::vector<uint8_t>> firstPackets(const uint8_t* data, size_t size, size_t count) {
    std::vector<std::vector<uint8_t>> packets(1);
    size_t at = 0;
    while (packets.size() <= count && size - at >= 27 && memcmp(data + at, "OggS", 4) == 0) {
        size_t segments = data[at + 26];
        if (size - at - 27 < segments) break;
        const uint8_t* lacing = data + at + 27;
        size_t body = at + 27 + segments;
        for (size_t i = 0; i < segments && packets.size() <= count; ++i) {
            size_t length = lacing[i];
            if (length > size - body) return {};
            packets.back().insert(packets.back().end(), data + body, data + body + length);
            body += length;
            if (length < 255) packets.emplace_back();
        }
        at = body;
    }
    packets.pop_back();
    return packets;
}

}  // namespace

bool checkVorbisHeaders(const uint8_t* data, size_t size, std::string& error) {
    std::vector<std::vector<uint8_t>> packets = firstPackets(data, size, 3);
    if (packets.size() < 3 || packets[0].size() < 12) return true;  // the decoder reports what is missing
    int channels = packets[0][11];
    if (packets[1].size() >= 7 && memcmp(packets[1].data(), "\x03vorbis", 7) == 0 && !checkComments(packets[1], error)) {
        return false;
    }
    const std::vector<uint8_t>& setup = packets[2];
    if (setup.size() < 8 || memcmp(setup.data(), "\x05vorbis", 7) != 0 || channels == 0) return true;
    BitReader bits{setup.data() + 7, setup.size() - 7};
    int codebooks = static_cast<int>(bits.read(8)) + 1;
    if (!checkCodebooks(bits, codebooks, error)) return false;
    if (bits.exhausted) return true;
    return checkMappings(bits, channels, error);
}
