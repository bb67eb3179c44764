// The checks made on a Vorbis stream's headers before the decoder reads them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// False with the reason when the comment or setup header carries counts or
// sizes that the decoder cannot hold safely; true otherwise, malformed
// headers included (the decoder reports those).
bool checkVorbisHeaders(const uint8_t* data, size_t size, std::string& error);
