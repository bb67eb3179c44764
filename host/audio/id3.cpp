// ID3 tags of MP3 files: the title and artist from an ID3v2 tag (versions
// 2.2 to 2.4) at the start, or from an ID3v1 tag in the last 128 bytes.
#include "host/audio/mp3.h"
#include "host/audio/text.h"

#include <cstring>

namespace {

// A big-endian 32-bit integer.
uint32_t be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// A 28-bit "syncsafe" integer (7 bits a byte); false when a byte has its top bit set.
bool syncsafe(const uint8_t* p, uint32_t& value) {
    if ((p[0] | p[1] | p[2] | p[3]) & 0x80) return false;
    value = (p[0] << 21) | (p[1] << 14) | (p[2] << 7) | p[3];
    return true;
}

// The bytes with the unsynchronisation undone: each 0xFF 0x00 becomes 0xFF.
std::vector<uint8_t> resynchronise(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes;
    bytes.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        bytes.push_back(data[i]);
        if (data[i] == 0xFF && i + 1 < size && data[i + 1] == 0x00) ++i;
    }
    return bytes;
}

// A text frame's content (encoding byte first) as Windows-1252.
std::string frameText(const uint8_t* content, size_t size) {
    if (size < 1) return std::string();
    const uint8_t* text = content + 1;
    size_t length = size - 1;
    switch (content[0]) {
    case 0: return cleanTagText(singleByteTo1252(text, length));
    case 1:
        if (length >= 2 && text[0] == 0xFE && text[1] == 0xFF) return cleanTagText(utf16To1252(text + 2, length - 2, true));
        if (length >= 2 && text[0] == 0xFF && text[1] == 0xFE) return cleanTagText(utf16To1252(text + 2, length - 2, false));
        return cleanTagText(utf16To1252(text, length, false));
    case 2: return cleanTagText(utf16To1252(text, length, true));
    case 3: return cleanTagText(utf8To1252(text, length));
    default: return std::string();
    }
}

// Title and artist from the frames of a tag body of the given major version.
void readFrames(const uint8_t* body, size_t size, int major, std::string& title, std::string& artist) {
    size_t headerBytes = major == 2 ? 6 : 10;
    size_t at = 0;
    while (size - at >= headerBytes && body[at] != 0) {
        const uint8_t* header = body + at;
        uint32_t length;
        if (major == 2) {
            length = (header[3] << 16) | (header[4] << 8) | header[5];
        } else if (major == 3) {
            length = be32(header + 4);
        } else if (!syncsafe(header + 4, length)) {
            return;
        }
        if (length > size - at - headerBytes) return;
        const uint8_t* content = header + headerBytes;
        size_t contentSize = length;
        at += headerBytes + length;

        bool isTitle = major == 2 ? memcmp(header, "TT2", 3) == 0 : memcmp(header, "TIT2", 4) == 0;
        bool isArtist = major == 2 ? memcmp(header, "TP1", 3) == 0 : memcmp(header, "TPE1", 4) == 0;
        if (!isTitle && !isArtist) continue;
        std::vector<uint8_t> plain;
        if (major == 3) {
            uint8_t flags = header[9];
            if (flags & 0xC0) continue;  // compressed or encrypted
            if (flags & 0x20) {          // group byte
                if (contentSize < 1) continue;
                ++content, --contentSize;
            }
        } else if (major == 4) {
            uint8_t flags = header[9];
            if (flags & 0x0C) continue;  // compressed or encrypted
            if (flags & 0x40) {          // group byte
                if (contentSize < 1) continue;
                ++content, --contentSize;
            }
            if (flags & 0x01) {          // data length indicator
                if (contentSize < 4) continue;
                content += 4, contentSize -= 4;
            }
            if (flags & 0x02) {
                plain = resynchronise(content, contentSize);
                content = plain.data(), contentSize = plain.size();
            }
        }
        std::string text = frameText(content, contentSize);
        std::string& slot = isTitle ? title : artist;
        if (slot.empty()) slot = text;
    }
}

}  // namespace

size_t readId3v2(const uint8_t* data, size_t size, std::string& title) {
    uint32_t tagSize;
    if (size < 10 || memcmp(data, "ID3", 3) != 0 || data[3] == 0xFF || data[4] == 0xFF || !syncsafe(data + 6, tagSize)) {
        return 0;
    }
    int major = data[3];
    uint8_t flags = data[5];
    size_t total = 10 + static_cast<size_t>(tagSize) + ((major == 4 && (flags & 0x10)) ? 10 : 0);
    if (major < 2 || major > 4) return total;
    if (major == 2 && (flags & 0x40)) return total;  // compressed tag

    const uint8_t* body = data + 10;
    size_t bodySize = size - 10 < tagSize ? size - 10 : tagSize;
    std::vector<uint8_t> plain;
    if (major < 4 && (flags & 0x80)) {
        plain = resynchronise(body, bodySize);
        body = plain.data(), bodySize = plain.size();
    }
    if (major > 2 && (flags & 0x40)) {
        if (bodySize < 4) return total;
        uint32_t extended;
        if (major == 3) {
            extended = be32(body) + 4;
            if (extended < 4) return total;
        } else if (!syncsafe(body, extended)) {
            return total;
        }
        if (extended > bodySize) return total;
        body += extended, bodySize -= extended;
    }
    std::string name, artist;
    readFrames(body, bodySize, major, name, artist);
    title = joinTitle(artist, name);
    return total;
}

bool readId3v1(const uint8_t* data, size_t size, std::string& title) {
    if (size < 128) return false;
    const uint8_t* tag = data + size - 128;
    if (memcmp(tag, "TAG", 3) != 0) return false;
    std::string name = cleanTagText(singleByteTo1252(tag + 3, 30));
    std::string artist = cleanTagText(singleByteTo1252(tag + 33, 30));
    title = joinTitle(artist, name);
    return true;
}
