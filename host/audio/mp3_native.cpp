// MP3 frames off Windows: there is no system codec to hand them to, so the
// decoder reports it after the tags and headers were read.
#include "host/audio/mp3.h"

bool decodeMp3Frames(const Mp3Stream& /*stream*/, DecodedAudio& /*out*/, std::string& error) {
    error = "MP3 decoding needs the Windows audio codec manager";
    return false;
}
