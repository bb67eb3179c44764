// The wave output: 16-bit PCM at the file's own rate and channel count, in a
// few short buffers that the feeder thread refills as the device returns them.
#include "host/sound_output.h"

#include "host/report.h"

#include <algorithm>
#include <cmath>

namespace {

std::string waveReason(MMRESULT result) {
    char text[MAXERRORLENGTH] = {};
    if (waveOutGetErrorTextA(result, text, sizeof text) != MMSYSERR_NOERROR || !text[0])
        snprintf(text, sizeof text, "wave output error %u", static_cast<unsigned>(result));
    return text;
}

}  // namespace

bool SoundOutput::open(const DecodedAudio& song, std::string& error) {
    close();
    audio = &song;
    totalFrames = song.samples.size() / song.channels;
    nextFrame = 0;
    stopping = false;

    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(song.channels);
    format.nSamplesPerSec = static_cast<DWORD>(song.sampleRate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(format.nChannels * 2);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;

    wakeup = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!wakeup) {
        error = "creating an event failed: " + systemReason(GetLastError());
        return false;
    }
    MMRESULT result = waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(wakeup),
                                  0, CALLBACK_EVENT);
    if (result != MMSYSERR_NOERROR) {
        device = nullptr;
        error = waveReason(result);
        close();
        return false;
    }
    size_t bufferFrames = static_cast<size_t>(song.sampleRate) * bufferMilliseconds / 1000 + 1;
    for (int i = 0; i < bufferCount; ++i) {
        buffers[i].assign(bufferFrames * song.channels, 0);
        headers[i] = {};
        headers[i].lpData = reinterpret_cast<LPSTR>(buffers[i].data());
        headers[i].dwBufferLength = static_cast<DWORD>(buffers[i].size() * sizeof(short));
        result = waveOutPrepareHeader(device, &headers[i], sizeof(WAVEHDR));
        if (result != MMSYSERR_NOERROR) {
            error = "preparing a sound buffer failed: " + waveReason(result);
            close();
            return false;
        }
        headers[i].dwFlags |= WHDR_DONE;  // free for the first feed
    }
    feed();
    feeder = CreateThread(nullptr, 0, feederMain, this, 0, nullptr);
    if (!feeder) {
        error = "starting the sound thread failed: " + systemReason(GetLastError());
        close();
        return false;
    }
    return true;
}

void SoundOutput::feed() {
    for (WAVEHDR& header : headers) {
        if (!(header.dwFlags & WHDR_DONE) || nextFrame >= totalFrames)
            continue;
        short* out = reinterpret_cast<short*>(header.lpData);
        size_t room = header.dwBufferLength / sizeof(short) / audio->channels;
        size_t count = std::min(room, totalFrames - nextFrame);
        const float* in = audio->samples.data() + nextFrame * audio->channels;
        for (size_t i = 0; i < count * audio->channels; ++i)
            out[i] = static_cast<short>(std::lrint(std::clamp(in[i], -1.0f, 1.0f) * 32767.0f));
        header.dwBufferLength = static_cast<DWORD>(count * audio->channels * sizeof(short));
        header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
        nextFrame += count;
        MMRESULT result = waveOutWrite(device, &header, sizeof(WAVEHDR));
        if (result != MMSYSERR_NOERROR) {
            reportError("playing a sound buffer failed: " + waveReason(result));
            header.dwFlags |= WHDR_DONE;
            nextFrame = totalFrames;  // the rest is not heard; the clock takes over at the end
        }
    }
}

DWORD WINAPI SoundOutput::feederMain(void* self) {
    auto* output = static_cast<SoundOutput*>(self);
    while (!output->stopping) {
        if (WaitForSingleObject(output->wakeup, INFINITE) != WAIT_OBJECT_0)
            break;
        if (!output->stopping)
            output->feed();
    }
    return 0;
}

size_t SoundOutput::framesHeard() {
    if (!device)
        return 0;
    MMTIME time = {};
    time.wType = TIME_SAMPLES;
    size_t heard = 0;
    if (waveOutGetPosition(device, &time, sizeof time) == MMSYSERR_NOERROR && time.wType == TIME_SAMPLES)
        heard = time.u.sample;
    else if (time.wType == TIME_BYTES)
        heard = time.u.cb / (audio->channels * 2);
    // Everything handed over has come back: the song has been heard to its end.
    bool allDone = nextFrame >= totalFrames;
    for (const WAVEHDR& header : headers)
        allDone = allDone && (header.dwFlags & WHDR_DONE);
    return allDone ? totalFrames : std::min(heard, totalFrames);
}

void SoundOutput::close() {
    if (feeder) {
        stopping = true;
        SetEvent(wakeup);
        WaitForSingleObject(feeder, INFINITE);
        CloseHandle(feeder);
        feeder = nullptr;
    }
    if (device) {
        waveOutReset(device);
        for (WAVEHDR& header : headers)
            if (header.dwFlags & WHDR_PREPARED)
                waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR));
        waveOutClose(device);
        device = nullptr;
    }
    if (wakeup) {
        CloseHandle(wakeup);
        wakeup = nullptr;
    }
    audio = nullptr;
}
