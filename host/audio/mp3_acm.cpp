// MP3 frames through the Windows audio compression manager: a stream from
// MPEG layer III to 16-bit PCM, fed whole frames, drained to floats.
#include "host/audio/decoders.h"
#include "host/audio/mp3.h"

#include <windows.h>
#include <mmreg.h>
#include <msacm.h>

#include <cstring>

namespace {

// Closes the stream, with its header unprepared, when decoding ends.
struct AcmStream {
    HACMSTREAM handle = nullptr;
    ACMSTREAMHEADER header{};
    bool prepared = false;
    ~AcmStream() {
        if (prepared) acmStreamUnprepareHeader(handle, &header, 0);
        if (handle) acmStreamClose(handle, 0);
    }
};

// The error line for a codec manager call that failed.
std::string acmFailure(const char* operation, MMRESULT result) {
    return std::string("MP3 decoding failed: ") + operation + " answered " + std::to_string(result);
}

}  // namespace

bool decodeMp3Frames(const Mp3Stream& stream, DecodedAudio& out, std::string& error) {
    const MpegHeader& first = stream.first;
    MPEGLAYER3WAVEFORMAT mp3{};
    mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    mp3.wfx.nChannels = static_cast<WORD>(first.channels);
    mp3.wfx.nSamplesPerSec = static_cast<DWORD>(first.sampleRate);
    mp3.wfx.nAvgBytesPerSec = static_cast<DWORD>(first.bitrate * 1000 / 8);
    mp3.wfx.nBlockAlign = 1;
    mp3.wfx.wBitsPerSample = 0;
    mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    mp3.wID = MPEGLAYER3_ID_MPEG;
    mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
    mp3.nBlockSize = static_cast<WORD>(first.frameBytes);
    mp3.nFramesPerBlock = 1;
    mp3.nCodecDelay = 0;
    WAVEFORMATEX pcm{};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = static_cast<WORD>(first.channels);
    pcm.nSamplesPerSec = static_cast<DWORD>(first.sampleRate);
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = static_cast<WORD>(2 * first.channels);
    pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;

    AcmStream acm;
    MMRESULT result = acmStreamOpen(&acm.handle, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
    if (result == ACMERR_NOTPOSSIBLE) {
        acm.handle = nullptr;
        error = "cannot decode MP3: the system has no MPEG layer III codec";
        return false;
    }
    if (result != MMSYSERR_NOERROR) {
        acm.handle = nullptr;
        error = acmFailure("acmStreamOpen", result);
        return false;
    }
    const DWORD sourceChunk = 64 * 1024;
    DWORD outputChunk = 0;
    result = acmStreamSize(acm.handle, sourceChunk, &outputChunk, ACM_STREAMSIZEF_SOURCE);
    if (result != MMSYSERR_NOERROR || outputChunk == 0) {
        error = acmFailure("acmStreamSize", result);
        return false;
    }
    std::vector<uint8_t> source(sourceChunk);
    std::vector<uint8_t> output(outputChunk);
    acm.header.cbStruct = sizeof acm.header;
    acm.header.pbSrc = source.data();
    acm.header.cbSrcLength = sourceChunk;
    acm.header.pbDst = output.data();
    acm.header.cbDstLength = outputChunk;
    result = acmStreamPrepareHeader(acm.handle, &acm.header, 0);
    if (result != MMSYSERR_NOERROR) {
        error = acmFailure("acmStreamPrepareHeader", result);
        return false;
    }
    acm.prepared = true;

    out.sampleRate = first.sampleRate;
    out.channels = first.channels;
    out.samples.clear();
    out.samples.reserve(stream.frameCount * first.samplesPerFrame * first.channels);
    const uint8_t* next = stream.frames.data();
    size_t left = stream.frames.size();
    size_t pending = 0;  // bytes carried over at the start of the source buffer
    DWORD flags = ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_BLOCKALIGN;
    for (;;) {
        size_t take = sourceChunk - pending < left ? sourceChunk - pending : left;
        memcpy(source.data() + pending, next, take);
        next += take, left -= take;
        size_t filled = pending + take;
        bool last = left == 0;
        if (last) flags = (flags & ~ACM_STREAMCONVERTF_BLOCKALIGN) | ACM_STREAMCONVERTF_END;
        acm.header.cbSrcLength = static_cast<DWORD>(filled);
        acm.header.cbDstLengthUsed = 0;
        result = acmStreamConvert(acm.handle, &acm.header, flags);
        if (result != MMSYSERR_NOERROR) {
            error = acmFailure("acmStreamConvert", result);
            return false;
        }
        flags &= ~ACM_STREAMCONVERTF_START;
        const int16_t* pcmSamples = reinterpret_cast<const int16_t*>(output.data());
        size_t count = acm.header.cbDstLengthUsed / 2;
        if (out.samples.size() + count > maxDecodedSamples) {
            error = "too long: the MP3 decodes to more audio than the player holds in memory";
            return false;
        }
        for (size_t i = 0; i < count; ++i) out.samples.push_back(pcmSamples[i] / 32768.0f);
        size_t used = acm.header.cbSrcLengthUsed < filled ? acm.header.cbSrcLengthUsed : filled;
        pending = filled - used;
        memmove(source.data(), source.data() + used, pending);
        if (last && (pending == 0 || (used == 0 && count == 0))) break;
        if (!last && used == 0 && count == 0 && pending == sourceChunk) {
            error = "corrupt MP3: the codec accepts none of the frames";
            return false;
        }
    }
    out.samples.resize(out.samples.size() / first.channels * first.channels);
    return true;
}
