// Sound through the system's wave output: one song at a time, fed from the
// decoded samples by a thread of its own, with the position heard read back
// from the device.
#pragma once

#include "host/audio/audio.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <string>
#include <vector>

class SoundOutput {
public:
    SoundOutput() = default;
    ~SoundOutput() { close(); }
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Starts playing `audio` from its beginning; `audio` must outlive the
    // playing. Returns false with the system's reason in `error` when no
    // device takes it.
    bool open(const DecodedAudio& audio, std::string& error);
    // Stops and gives the device back; does nothing when nothing plays.
    void close();
    bool isOpen() const { return device != nullptr; }

    // The number of frames heard so far; the song's length once all is played.
    size_t framesHeard();

private:
    static constexpr int bufferCount = 4;
    static constexpr int bufferMilliseconds = 100;

    static DWORD WINAPI feederMain(void* self);
    // Hands every free buffer the next stretch of samples.
    void feed();

    const DecodedAudio* audio = nullptr;
    HWAVEOUT device = nullptr;
    HANDLE wakeup = nullptr;
    HANDLE feeder = nullptr;
    std::atomic<bool> stopping{false};
    std::atomic<size_t> nextFrame{0};  // first frame not yet handed to the device
    size_t totalFrames = 0;
    WAVEHDR headers[bufferCount] = {};
    std::vector<short> buffers[bufferCount];
};
