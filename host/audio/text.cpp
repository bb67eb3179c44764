// Tag text to Windows-1252. Tags carry Latin-1, UTF-8 or UTF-16; the plug-in
// shows single-byte Windows-1252 text, so characters outside it become '?'.
#include "host/audio/text.h"

#include "host/audio/decoders.h"

#include <cstring>

namespace {

// Unicode code points of Windows-1252 bytes 0x80..0x9F; 0 where the byte is unused.
const uint16_t highControls1252[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

// The length of the valid UTF-8 sequence at data, or 0 when it is malformed;
// sets codePoint.
size_t utf8Sequence(const uint8_t* data, size_t size, uint32_t& codePoint) {
    uint8_t lead = data[0];
    size_t length;
    uint32_t minimum;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (length > size) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((data[i] & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (data[i] & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

void appendCodePoint1252(std::string& text, uint32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        text += static_cast<char>(codePoint);
        return;
    }
    for (int i = 0; i < 32; ++i) {
        if (highControls1252[i] != 0 && highControls1252[i] == codePoint) {
            text += static_cast<char>(0x80 + i);
            return;
        }
    }
    text += '?';
}

std::string utf8To1252(const uint8_t* data, size_t size) {
    std::string text;
    size_t i = 0;
    while (i < size) {
        uint32_t codePoint = 0;
        size_t length = utf8Sequence(data + i, size - i, codePoint);
        if (length == 0) {
            text += '?';
            ++i;
        } else {
            appendCodePoint1252(text, codePoint);
            i += length;
        }
    }
    return text;
}

std::string utf16To1252(const uint8_t* data, size_t size, bool bigEndian) {
    std::string text;
    auto unit = [&](size_t i) -> uint32_t {
        return bigEndian ? (data[i] << 8) | data[i + 1] : data[i] | (data[i + 1] << 8);
    };
    size_t i = 0;
    while (i + 1 < size) {
        uint32_t first = unit(i);
        i += 2;
        if (first >= 0xD800 && first <= 0xDBFF && i + 1 < size) {
            uint32_t second = unit(i);
            if (second >= 0xDC00 && second <= 0xDFFF) {
                i += 2;
                appendCodePoint1252(text, 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
                continue;
            }
        }
        if (first >= 0xD800 && first <= 0xDFFF) {
            text += '?';
        } else {
            appendCodePoint1252(text, first);
        }
    }
    return text;
}

std::string singleByteTo1252(const uint8_t* data, size_t size) {
    const void* nul = memchr(data, 0, size);
    if (nul) size = static_cast<const uint8_t*>(nul) - data;
    bool beyondAscii = false;
    bool validUtf8 = true;
    for (size_t i = 0; i < size && validUtf8;) {
        uint32_t codePoint = 0;
        size_t length = utf8Sequence(data + i, size - i, codePoint);
        if (length == 0) validUtf8 = false;
        if (length > 1) beyondAscii = true;
        i += length == 0 ? 1 : length;
    }
    if (validUtf8 && beyondAscii) return utf8To1252(data, size);
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        uint8_t byte = data[i];
        bool unused = byte >= 0x80 && byte < 0xA0 && highControls1252[byte - 0x80] == 0;
        text += unused ? '?' : static_cast<char>(byte);
    }
    return text;
}

std::string cleanTagText(const std::string& text) {
    std::string clean;
    for (char c : text) {
        if (c == '\0') break;
        unsigned char byte = static_cast<unsigned char>(c);
        clean += (byte < 0x20 || byte == 0x7F) ? ' ' : c;
    }
    size_t first = clean.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    size_t last = clean.find_last_not_of(' ');
    clean = clean.substr(first, last - first + 1);
    if (clean.size() > maxTitleBytes) clean.resize(maxTitleBytes);
    return clean;
}

std::string joinTitle(const std::string& artist, const std::string& title) {
    if (title.empty()) return std::string();
    std::string joined = artist.empty() ? title : artist + " - " + title;
    if (joined.size() > maxTitleBytes) joined.resize(maxTitleBytes);
    return joined;
}
