// Tag text to Windows-1252: the conversions from the encodings that tags use,
// and the title made of a title and an artist.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Appends one Unicode code point as its Windows-1252 byte, or '?' when the
// code page has none.
void appendCodePoint1252(std::string& text, uint32_t codePoint);

// UTF-8 to Windows-1252; malformed sequences become '?'.
std::string utf8To1252(const uint8_t* data, size_t size);

// UTF-16 (big- or little-endian) to Windows-1252; lone surrogates become '?'.
std::string utf16To1252(const uint8_t* data, size_t size, bool bigEndian);

// Single-byte tag text (ID3v1, RIFF INFO, ID3 Latin-1) up to its first NUL:
// read as UTF-8 when it is valid UTF-8 with characters beyond ASCII, otherwise
// as Windows-1252.
std::string singleByteTo1252(const uint8_t* data, size_t size);

// The text up to its first NUL, control characters as spaces, without
// leading or trailing spaces, at most maxTitleBytes long.
std::string cleanTagText(const std::string& text);

// "artist - title", or the title alone; empty when there is no title.
std::string joinTitle(const std::string& artist, const std::string& title);
